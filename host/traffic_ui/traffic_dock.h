#pragma once
// The dockable traffic view: the traffic table, the changes and fields of the
// selected request below it, and buttons to save the table as CSV or clear it.

#include <QDockWidget>

class QTableView;
class QTreeWidget;

namespace jexhost::traffic {

class TrafficModel;

class TrafficDock final : public QDockWidget {
    Q_OBJECT
public:
    // The dock shows `model` and does not own it. Its object name is
    // "trafficDock", so the window's saved state restores it.
    explicit TrafficDock(TrafficModel* model, QWidget* parent = nullptr);

    QTableView* table() const { return table_; }
    QTreeWidget* fields() const { return fields_; }

public slots:
    // Asks for a file name and writes the CSV; a failure is shown in a box.
    void saveAsCsv();

private:
    void showFields();
    void followNewest(int firstRow);

    TrafficModel* model_;
    QTableView* table_;
    QTreeWidget* fields_;
};

}  // namespace jexhost::traffic
