#include "form/form_style.h"

#include <QFile>
#include <QFontDatabase>
#include <QPalette>
#include <QWidget>

namespace kdrsm {

namespace {

const QString kFamily = QStringLiteral("Tahoma");
const QString kShippedFont = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
constexpr double kPointSize = 8.25;
constexpr QRgb kDisabledText = 0xFFACA899;

void registerTahoma() {
    static const bool done = [] {
        if (!QFontDatabase::hasFamily(kFamily) && QFile::exists(kShippedFont))
            QFontDatabase::addApplicationFont(kShippedFont);
        return true;
    }();
    Q_UNUSED(done);
}

}  // namespace

QFont formFont() {
    registerTahoma();
    QFont font(kFamily);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(kPointSize);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    return font;
}

void applyFormStyle(QWidget& form) {
    QPalette palette = form.palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        const QColor text = disabled ? QColor(kDisabledText) : QColor(Qt::black);
        palette.setColor(group, QPalette::Window, QColor(kPanelColour));
        // The painting hook of the tab control reads the system button face
        // from here; it must be the panel colour so black stays black.
        palette.setColor(group, QPalette::Button, QColor(kPanelColour));
        palette.setColor(group, QPalette::Base, Qt::white);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::ButtonText, text);
    }
    form.setPalette(palette);
    form.setAutoFillBackground(true);
    form.setFont(formFont());
}

}  // namespace kdrsm
