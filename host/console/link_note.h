#pragma once
// What the open server's link means for its form, said in one line above it.
// An operator taken out of the remote side's token file can change nothing
// there any longer: the line says so and the form turns read-only, keeping
// what it shows and the changes not sent, which Save can still keep as a
// preset. Once the link is welcomed again the form is editable again. When
// the remote side lowers the operator's privileges, `outcome` says which.

#include <QList>
#include <QObject>
#include <QPointer>

class QLabel;
class QWidget;

namespace jexhost {

class HostSession;
namespace servers {
struct LinkStatus;
}

class LinkNote final : public QObject {
    Q_OBJECT
public:
    // `line` shows the note; the form lives below `panelHost`.
    LinkNote(HostSession& session, QLabel* line, QWidget* panelHost, QObject* parent = nullptr);

signals:
    void outcome(const QString& text);

private:
    void update();
    void setReadOnly(bool readOnly);

    HostSession& session_;
    QLabel* line_;
    QPointer<QWidget> panelHost_;
    QList<QPointer<QWidget>> disabled_;  // what this note disabled, and only that
};

}  // namespace jexhost
