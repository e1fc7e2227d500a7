#include "columns_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <array>

namespace kelvara::ui {

namespace {

using draw::Mask;

constexpr std::array<const char*, draw::kPlaces> kPlaceKeys{"滚动", "大屏", "结果", "文件"};
constexpr std::array<const char*, draw::kPlaces> kPlaceHeadings{"滚动区", "大屏幕", "结果区",
                                                                "保存·打印·公示"};
struct MaskName {
    Mask mask;
    const char* key;    // in the settings file
    const char* choice; // in the dialog
};
constexpr std::array<MaskName, 4> kMasks{{{Mask::None, "不遮盖", "不遮盖"},
                                          {Mask::Name, "姓名", "遮盖姓名中间的字"},
                                          {Mask::IdNumber, "证件号", "遮盖证件号中间8位"},
                                          {Mask::Phone, "手机号", "遮盖手机号中间4位"}}};
constexpr int kMaskColumn = 1 + static_cast<int>(draw::kPlaces);

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

QJsonArray columnsToJson(const std::vector<draw::Column>& columns) {
    QJsonArray array;
    for (const draw::Column& column : columns) {
        QJsonArray places;
        for (std::size_t p = 0; p < draw::kPlaces; ++p) {
            if (column.shown[p]) {
                places.append(text(kPlaceKeys[p]));
            }
        }
        QJsonObject object{{QStringLiteral("标题"), QString::fromStdString(column.title)},
                           {QStringLiteral("显示"), places}};
        for (const MaskName& mask : kMasks) {
            if (mask.mask == column.mask) {
                object.insert(QStringLiteral("遮盖"), text(mask.key));
            }
        }
        array.append(object);
    }
    return array;
}

std::vector<draw::Column> columnsFromJson(const QJsonArray& array) {
    std::vector<draw::Column> columns;
    for (const QJsonValue& value : array) {
        const QJsonObject object = value.toObject();
        draw::Column column;
        column.title = object.value(QStringLiteral("标题")).toString().toStdString();
        if (column.title.empty()) {
            continue; // not a column this program wrote
        }
        const QJsonArray places = object.value(QStringLiteral("显示")).toArray();
        for (std::size_t p = 0; p < draw::kPlaces; ++p) {
            column.shown[p] = places.contains(text(kPlaceKeys[p]));
        }
        const QString mask = object.value(QStringLiteral("遮盖")).toString();
        for (const MaskName& known : kMasks) {
            if (mask == text(known.key)) {
                column.mask = known.mask;
            }
        }
        columns.push_back(std::move(column));
    }
    return columns;
}

ColumnsDialog::ColumnsDialog(const std::vector<draw::Column>& columns, const EventFacts& event,
                             QWidget* parent)
    : QDialog(parent), m_columns(columns) {
    setWindowTitle(QStringLiteral("列与公示"));
    auto* layout = new QVBoxLayout(this);

    auto* form = new QFormLayout;
    m_title = new QLineEdit(event.title, this);
    m_title->setPlaceholderText(QStringLiteral("例如：2026年阳光小区车位摇号"));
    m_place = new QLineEdit(event.place, this);
    form->addRow(QStringLiteral("活动名称（公示标题）(&T)："), m_title);
    form->addRow(QStringLiteral("地点(&D)："), m_place);
    layout->addLayout(form);

    m_table = new QTableWidget(static_cast<int>(columns.size()), kMaskColumn + 1, this);
    QStringList headings{QStringLiteral("列")};
    for (const char* heading : kPlaceHeadings) {
        headings.append(text(heading));
    }
    headings.append(QStringLiteral("遮盖"));
    m_table->setHorizontalHeaderLabels(headings);
    m_table->verticalHeader()->hide();
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const draw::Column& column = columns[static_cast<std::size_t>(row)];
        auto* title = new QTableWidgetItem(QString::fromStdString(column.title));
        title->setFlags(Qt::ItemIsEnabled);
        m_table->setItem(row, 0, title);
        for (std::size_t p = 0; p < draw::kPlaces; ++p) {
            auto* item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
            item->setCheckState(column.shown[p] ? Qt::Checked : Qt::Unchecked);
            m_table->setItem(row, 1 + static_cast<int>(p), item);
        }
        auto* mask = new QComboBox(m_table);
        for (const MaskName& known : kMasks) {
            mask->addItem(text(known.choice));
            if (known.mask == column.mask) {
                mask->setCurrentIndex(mask->count() - 1);
            }
        }
        m_table->setCellWidget(row, kMaskColumn, mask);
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setMinimumWidth(m_table->horizontalHeader()->length() + 40);
    layout->addWidget(m_table);

    auto* note = new QLabel(
        columns.empty() ? QStringLiteral("初始化以后这里列出名单的各列。")
                        : QStringLiteral("这里只决定中签者在各处怎样显示，不影响谁参加摇号；"
                                         "摇号记录中始终是名单中完整的一行。"),
        this);
    note->setWordWrap(true);
    layout->addWidget(note);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* publish =
        buttons->addButton(QStringLiteral("写出公示(&K)"), QDialogButtonBox::ActionRole);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(publish, &QPushButton::clicked, this, [this] {
        m_publish = true;
        accept();
    });
    layout->addWidget(buttons);
    m_title->setFocus();
}

std::vector<draw::Column> ColumnsDialog::columns() const {
    std::vector<draw::Column> columns = m_columns;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        draw::Column& column = columns[static_cast<std::size_t>(row)];
        for (std::size_t p = 0; p < draw::kPlaces; ++p) {
            column.shown[p] =
                m_table->item(row, 1 + static_cast<int>(p))->checkState() == Qt::Checked;
        }
        const auto* mask = qobject_cast<const QComboBox*>(m_table->cellWidget(row, kMaskColumn));
        column.mask = kMasks[static_cast<std::size_t>(mask->currentIndex())].mask;
    }
    return columns;
}

EventFacts ColumnsDialog::event() const {
    return {m_title->text().trimmed(), m_place->text().trimmed()};
}

} // namespace kelvara::ui
