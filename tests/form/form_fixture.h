#pragma once
// A fresh settings form over a temporary host root, with modal boxes and
// dialogs driven by the test.

#include <QApplication>
#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "form/controls.h"
#include "form/frmrcKDRSM.h"
#include "jex/error.h"
#include "plugin/module_state.h"
#include "support/modal_driver.h"
#include "support/raises.h"
#include "support/temp_host.h"

namespace formtest {

using jextest::raisedNumber;

// Whether each entry of a list is selected.
inline QList<bool> selections(const QWidget* list) {
    QList<bool> states;
    for (int i = 0; i < kdrsm::ctl::listCount(list); ++i) states << kdrsm::ctl::selected(list, i);
    return states;
}

class FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        kdrsm::mdl().HostRoot = host.root();
        kdrsm::mdl().NoDataReceived = false;
        form = std::make_unique<kdrsm::frmrcKDRSM>();
    }

    template <class T = QWidget>
    T* control(const QString& name, int index = -1) const {
        return qobject_cast<T*>(form->control(name, index));
    }

    // Button faces under the host root: PNG data under the .gif names.
    void writeFaces() const {
        QDir().mkpath(host.path("imgs"));
        QImage face(16, 8, QImage::Format_RGB32);
        face.fill(Qt::gray);
        for (const char* name : {"imgs/butup.gif", "imgs/butdown.gif"})
            ASSERT_TRUE(face.save(host.path(name), "PNG"));
    }

    void showForm() const {
        form->show();
        QApplication::processEvents();
    }

    jextest::TempHost host;
    jextest::ModalDriver modals;
    std::unique_ptr<kdrsm::frmrcKDRSM> form;
};

}  // namespace formtest
