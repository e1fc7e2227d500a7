#include "verifiable_window.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QVBoxLayout>

#include "draw/draw_view.h"
#include "draw/limits.h"
#include "output/verifiable_facts.h"
#include "ui/window_helpers.h"

namespace kelvara::ui {

namespace {

constexpr int kFirstWitnesses = 3;
constexpr int kMaxDigitsPerWitness = 40;

QString hexLines(const std::string& hex) {
    const auto [first, second] = output::groupedHexHalves(hex);
    return fromUtf8(first) + u'\n' + fromUtf8(second);
}

QString grouped(const std::string& hex) {
    return fromUtf8(output::groupedHex(hex));
}

// The facts that fix the run, a line each, digests under their labels.
QString factsText(const output::VerifiableFacts& facts) {
    using namespace output;
    QString text = fromUtf8(kAlgorithmLabel) + fromUtf8(facts.algorithm) + u'\n' +
                   fromUtf8(kListLabel) + fromUtf8(facts.list) + u'\n' +
                   fromUtf8(kListSha256Label) + u'\n' + grouped(facts.listSha256) + u'\n' +
                   fromUtf8(kPlanSha256Label) + u'\n' +
                   (facts.planSha256 == kNoPlan ? fromUtf8(kNoPlan) : grouped(facts.planSha256));
    if (!facts.placesSha256.empty()) {
        text += u'\n' + fromUtf8(kPlacesSha256Label) + u'\n' + grouped(facts.placesSha256);
    }
    if (!facts.committed.empty()) {
        text += u'\n' + fromUtf8(kCommittedLabel) + fromUtf8(facts.committed);
    }
    text += u'\n' + fromUtf8(facts.commitmentNumber);
    for (const std::string& earlier : facts.earlier) {
        text += u'\n' + fromUtf8(earlier);
    }
    return text;
}

QLabel* selectableLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

int digitCount(const QStringList& parts) {
    int count = 0;
    for (const QString& part : parts) {
        count += static_cast<int>(part.size());
    }
    return count;
}

VerifiableWindow::VerifiableWindow(QWidget& mainWindow)
    : QWidget(&mainWindow, Qt::Window), m_mainWindow(mainWindow) {
    setObjectName(QStringLiteral("FrmVerifiable"));
    setWindowTitle(QStringLiteral("可验证摇号"));
    auto* layout = new QVBoxLayout(this);

    m_facts = selectableLabel(this);
    layout->addWidget(m_facts);
    layout->addWidget(new QLabel(fromUtf8(output::kCommitmentLabel), this));
    m_commitment = selectableLabel(this);
    QFont big = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    big.setPointSize(16);
    big.setBold(true);
    m_commitment->setFont(big);
    m_commitment->setAccessibleName(QStringLiteral("承诺"));
    layout->addWidget(m_commitment);

    auto* witnesses = new QGroupBox(
        QStringLiteral("公开输入：见证人输入的数字（合计至少%1位）").arg(draw::kMinPublicDigits),
        this);
    m_witnessGrid = new QGridLayout(witnesses);
    layout->addWidget(witnesses);
    m_count = new QLabel(this);
    m_publicInput = selectableLabel(this);
    m_publicInput->setFont(big);
    m_secret = selectableLabel(this);
    m_secret->setFont(big);
    m_secret->setAccessibleName(QStringLiteral("秘密值"));
    layout->addWidget(m_count);
    layout->addWidget(m_publicInput);
    layout->addWidget(m_secret);

    auto* buttons = new QHBoxLayout;
    m_add = new QPushButton(QStringLiteral("添加见证人(&A)"), this);
    m_accept = new QPushButton(QStringLiteral("确定公开输入(&U)"), this);
    m_print = new QPushButton(QStringLiteral("打印承诺(&R)"), this);
    m_reveal = new QPushButton(QStringLiteral("公布(&B)"), this);
    m_reveal->setToolTip(QStringLiteral("最后一轮之后公布秘密值，任何人都可以核对本次摇号"));
    for (QPushButton* button : {m_add, m_accept, m_print, m_reveal}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);

    connect(m_add, &QPushButton::clicked, this, [this] { addWitness()->setFocus(); });
    connect(m_accept, &QPushButton::clicked, this,
            [this] { emit acceptRequested(witnessParts()); });
    connect(m_print, &QPushButton::clicked, this, &VerifiableWindow::printRequested);
    connect(m_reveal, &QPushButton::clicked, this, &VerifiableWindow::revealRequested);
    for (int k = 0; k < kFirstWitnesses; ++k) {
        addWitness();
    }
}

QLineEdit* VerifiableWindow::addWitness() {
    const int row = static_cast<int>(m_witnesses.size());
    auto* field = new QLineEdit(this);
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    field->setMaxLength(kMaxDigitsPerWitness);
    // Hidden while keyed: nobody, the next witness included, sees digits before all are in.
    field->setEchoMode(QLineEdit::Password);
    QFont digits = m_commitment->font();
    digits.setPointSize(14);
    field->setFont(digits);
    const QString name = QStringLiteral("见证人%1").arg(row + 1);
    field->setAccessibleName(name);
    auto* label = new QLabel(name + u'：', this);
    label->setBuddy(field);
    m_witnessGrid->addWidget(label, row, 0);
    m_witnessGrid->addWidget(field, row, 1);
    // Enter passes on to the next witness, as the digits are keyed one witness after another.
    connect(field, &QLineEdit::returnPressed, this, [this] { focusNextChild(); });
    connect(field, &QLineEdit::textEdited, this, &VerifiableWindow::partsChanged);
    m_witnesses.append(field);
    m_add->setEnabled(m_witnesses.size() < kMaxWitnesses);
    return field;
}

QStringList VerifiableWindow::witnessParts() const {
    QStringList parts;
    for (const QLineEdit* field : m_witnesses) {
        if (!field->text().isEmpty()) {
            parts.append(field->text());
        }
    }
    return parts;
}

void VerifiableWindow::partsChanged() {
    const QStringList parts = witnessParts();
    const int digits = digitCount(parts);
    m_count->setText(QStringLiteral("已输入%1位数字").arg(digits) +
                     (digits < draw::kMinPublicDigits
                          ? QStringLiteral("，还差%1位").arg(draw::kMinPublicDigits - digits)
                          : QString()));
    m_accept->setEnabled(!m_inputTaken && digits >= draw::kMinPublicDigits);
    emit partsEdited(parts);
}

void VerifiableWindow::showRun(const draw::RunView& run) {
    if (run.verifiable != nullptr) {
        showVerifiable(*run.verifiable);
    }
}

void VerifiableWindow::showVerifiable(const draw::VerifiableRun& run) {
    const output::VerifiableFacts facts = output::verifiableFacts(run);
    m_facts->setText(factsText(facts));
    m_commitment->setText(hexLines(facts.commitment));

    m_inputTaken = run.sequence.has_value();
    if (m_inputTaken) {
        while (m_witnesses.size() < static_cast<qsizetype>(run.witnessParts.size())) {
            addWitness();
        }
        for (qsizetype k = 0; k < m_witnesses.size(); ++k) {
            const auto part = static_cast<std::size_t>(k);
            m_witnesses[k]->setText(
                part < run.witnessParts.size() ? fromUtf8(run.witnessParts[part]) : QString());
            m_witnesses[k]->setReadOnly(true);
            m_witnesses[k]->setEchoMode(QLineEdit::Normal);
        }
        m_publicInput->setText(fromUtf8(output::kPublicInputLabel) + fromUtf8(facts.publicInput));
    }
    m_publicInput->setVisible(m_inputTaken);
    m_add->setEnabled(!m_inputTaken && m_witnesses.size() < kMaxWitnesses);
    m_revealed = run.revealed;
    m_secret->setVisible(m_revealed);
    if (m_revealed) {
        m_secret->setText(fromUtf8(output::kSecretLabel) + u'\n' + hexLines(facts.secret));
    }
    m_reveal->setEnabled(m_inputTaken && !m_revealed);
    partsChanged();

    if (!m_opened) {
        m_opened = true;
        placeBesideMainWindow();
        show();
        if (!m_inputTaken) {
            activateWindow();
            m_witnesses.front()->setFocus();
        }
    }
}

// Beside the main window, on a side with room for it. Where neither side has room but the
// screen holds both, the main window moves aside; on a narrower screen it goes on the side
// with more room, at that side's screen edge, covering as little of the main window as it
// can.
void VerifiableWindow::placeBesideMainWindow() {
    adjustSize();
    QRect main = m_mainWindow.frameGeometry();
    const QRect screen = m_mainWindow.screen()->availableGeometry();
    const int width = frameGeometry().width();
    const int roomRight = screen.right() - main.right();
    const int roomLeft = main.left() - screen.left();
    if (roomRight < width && roomLeft < width && main.width() + width <= screen.width()) {
        const int left = std::max(screen.left(), screen.right() + 1 - width - main.width());
        m_mainWindow.move(left, m_mainWindow.y());
        main.moveLeft(left);
    }
    int x = 0;
    if (screen.right() - main.right() >= width || roomRight >= roomLeft) {
        x = std::min(main.right() + 1, screen.right() + 1 - width);
    } else {
        x = std::max(main.left() - width, screen.left());
    }
    move(std::max(x, screen.left()), std::max(main.top(), screen.top()));
}

} // namespace kelvara::ui
