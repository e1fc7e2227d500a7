#pragma once

#include <QDialog>
#include <QJsonArray>
#include <QString>

#include <vector>

#include "draw/list_columns.h"

class QLineEdit;
class QTableWidget;

namespace kelvara::ui {

// What the announcement says of the event, kept with the data folder.
struct EventFacts {
    QString title; // 活动名称: the announcement's title
    QString place; // 地点
};

// The columns as the settings file keeps them, by their titles.
QJsonArray columnsToJson(const std::vector<draw::Column>& columns);
std::vector<draw::Column> columnsFromJson(const QJsonArray& array);

// Where each of the list's columns is shown and how it is masked, and the event's title and
// place for the announcement. "写出公示" closes it as accepted, asking for the announcement.
class ColumnsDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ColumnsDialog)

public:
    ColumnsDialog(const std::vector<draw::Column>& columns, const EventFacts& event,
                  QWidget* parent);

    std::vector<draw::Column> columns() const;
    EventFacts event() const;
    bool publishAsked() const { return m_publish; }

private:
    QTableWidget* m_table = nullptr;
    QLineEdit* m_title = nullptr;
    QLineEdit* m_place = nullptr;
    std::vector<draw::Column> m_columns;
    bool m_publish = false;
};

} // namespace kelvara::ui
