#pragma once
// The bar above the panel that tells the operator what others changed on the
// open server while they edit it, or why their update was not stored and how
// to go on: "Fetch theirs" or "Keep mine".

#include <QFrame>

class QLabel;
class QPushButton;

namespace jexhost {

class SyncBar final : public QFrame {
    Q_OBJECT
public:
    explicit SyncBar(QWidget* parent = nullptr);

    // Others changed the server; nothing to choose.
    void showNotice(const QString& text);
    // An update was refused for conflicts: the operator chooses.
    void showConflict(const QString& text);
    // While a choice is carried out, the buttons wait.
    void setBusy(bool busy);

    QLabel* text() const { return text_; }
    QPushButton* fetchTheirs() const { return fetchTheirs_; }
    QPushButton* keepMine() const { return keepMine_; }

private:
    QLabel* text_;
    QPushButton* fetchTheirs_;
    QPushButton* keepMine_;
};

}  // namespace jexhost
