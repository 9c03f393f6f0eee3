#include "ChildDlgDDRHynix.h"

#include "EditListCtrl.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

using namespace quillon;

namespace {

QColor ToColor(ColorRef colour) {
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

QString Section() {
    return QString::fromWCharArray(CChildDlgDDRHynixModel::ProfileSection());
}

} // namespace

CChildDlgDDRHynix::CChildDlgDDRHynix(CChildDlgDDRHynixModel& model, QWidget* parent)
    : QWidget(parent), m_model(model) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* rates = new QGroupBox(QStringLiteral("AnalyseResult"), this);
    auto* ratesLayout = new QGridLayout(rates);
    for (int lane = 0; lane < 4; ++lane) {
        auto* label = new QLabel(QStringLiteral("PassRate(Byte%1):").arg(lane), rates);
        auto* box = new QLineEdit(rates);
        box->setReadOnly(true);
        box->setMinimumWidth(70);
        box->setAutoFillBackground(true);
        ratesLayout->addWidget(label, lane / 2, (lane % 2) * 2);
        ratesLayout->addWidget(box, lane / 2, (lane % 2) * 2 + 1);
        m_arrRateBoxes[size_t(lane)] = box;
    }
    layout->addWidget(rates);

    auto* best = new QGroupBox(QStringLiteral("BestParameters"), this);
    auto* bestLayout = new QHBoxLayout(best);
    m_pList = new CEditListCtrl(best);
    int listWidth = 0;
    int col = 0;
    for (const auto& column : CChildDlgDDRHynixModel::Columns()) {
        m_pList->InsertColumn(col++, QString::fromWCharArray(column.szTitle), column.nWidth);
        listWidth += column.nWidth;
    }
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pList->verticalHeader()->setDefaultSectionSize(20);
    m_pList->setMinimumWidth(listWidth + 30);
    bestLayout->addWidget(m_pList);
    layout->addWidget(best, 1);

    auto* conclusion = new QGroupBox(QStringLiteral("Conclusion"), this);
    auto* conclusionLayout = new QVBoxLayout(conclusion);
    m_pConclusion = new QLabel(conclusion);
    m_pConclusion->setAlignment(Qt::AlignCenter);
    m_pConclusion->setMinimumWidth(180);
    m_pReason = new QLabel(conclusion);
    m_pReason->setWordWrap(true);
    m_pReason->hide();
    conclusionLayout->addWidget(m_pConclusion, 1);
    conclusionLayout->addWidget(m_pReason);
    layout->addWidget(conclusion);

    connect(m_pList, &CEditListCtrl::choiceRequest, this, &CChildDlgDDRHynix::OnChoiceRequest);
    connect(m_pList, &CEditListCtrl::valueChanged, this, &CChildDlgDDRHynix::OnValueChanged);
    Refresh();
}

CChildDlgDDRHynixModel::SStoredList CChildDlgDDRHynix::LoadStored(QSettings& profile) {
    CChildDlgDDRHynixModel::SStoredList stored = CChildDlgDDRHynixModel::DefaultStoredList();
    profile.beginGroup(Section());
    stored.m_nLogType = profile.value(QStringLiteral("logtype"), -1).toInt();
    for (int item = 0; item < 4; ++item) {
        for (int col = 0; col < 4; ++col) {
            const QString key =
                QString::fromStdWString(CChildDlgDDRHynixModel::ProfileKey(item, col));
            std::wstring& text = stored.m_vecRows[size_t(item)][size_t(col)];
            text = profile.value(key, QString::fromStdWString(text)).toString().toStdWString();
        }
    }
    profile.endGroup();
    return stored;
}

void CChildDlgDDRHynix::LoadProfile(QSettings& profile) {
    m_model.LoadStored(LoadStored(profile));
    Refresh();
}

void CChildDlgDDRHynix::SaveProfile(QSettings& profile) const {
    const CChildDlgDDRHynixModel::SStoredList stored = m_model.StoredList();
    profile.beginGroup(Section());
    profile.setValue(QStringLiteral("logtype"), stored.m_nLogType);
    for (size_t item = 0; item < stored.m_vecRows.size(); ++item) {
        for (int col = 0; col < 4; ++col) {
            profile.setValue(
                QString::fromStdWString(CChildDlgDDRHynixModel::ProfileKey(int(item), col)),
                QString::fromStdWString(stored.m_vecRows[item][size_t(col)]));
        }
    }
    profile.endGroup();
}

bool CChildDlgDDRHynix::Shown() const {
    return !m_model.Rates().empty();
}

void CChildDlgDDRHynix::FillList() {
    m_pList->DeleteAllItems();
    for (int row = 0; row < m_model.RowCount(); ++row) {
        m_pList->InsertItem(row, QStringLiteral("item %1").arg(row));
        for (int col = 0; col < 4; ++col) {
            m_pList->SetItemText(row, col,
                                 QString::fromStdWString(m_model.Rows()[size_t(row)][size_t(col)]));
        }
    }
    for (int col = 0; col < 4; ++col) {
        m_pList->SetComboColumn(CChildDlgDDRHynixModel::IsEditable(col), col);
    }
}

void CChildDlgDDRHynix::Refresh() {
    for (int lane = 0; lane < 4; ++lane) {
        QLineEdit* box = m_arrRateBoxes[size_t(lane)];
        box->setText(QString::fromStdWString(m_model.RateTexts()[size_t(lane)]));
        // Before the first page the boxes keep the default background.
        QPalette palette = box->palette();
        palette.setColor(QPalette::Base, Shown()
                                             ? ToColor(m_model.RateBoxColors()[size_t(lane)])
                                             : QWidget::palette().color(QPalette::Base));
        box->setPalette(palette);
    }
    FillList();

    m_pConclusion->setText(QString::fromStdWString(m_model.Conclusion()));
    if (Shown()) {
        QFont font;
        font.setFamilies({QStringLiteral("黑体"), QStringLiteral("SimHei"),
                          QStringLiteral("WenQuanYi Zen Hei")});
        font.setPointSize(40);
        m_pConclusion->setFont(font);
        QPalette palette = m_pConclusion->palette();
        palette.setColor(QPalette::WindowText, ToColor(m_model.ConclusionColor()));
        m_pConclusion->setPalette(palette);
    } else {
        m_pConclusion->setFont(QFont());
        m_pConclusion->setPalette(QPalette());
    }
    m_pReason->setText(QString::fromStdWString(m_model.Reason()));
    m_pReason->setVisible(!m_model.Reason().empty());
}

void CChildDlgDDRHynix::OnChoiceRequest(int column, QStringList* choices) {
    if (choices == nullptr || !CChildDlgDDRHynixModel::IsEditable(column)) {
        return;
    }
    for (const std::wstring& choice : CChildDlgDDRHynixModel::Choices(column)) {
        choices->append(QString::fromStdWString(choice));
    }
}

void CChildDlgDDRHynix::OnValueChanged(int row, int column, const QString& text) {
    if (m_model.EditCell(row, column, text.toStdWString())) {
        FillList();
    }
}

void CChildDlgDDRHynix::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape belong to the panel, not to the main dialog around it.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
