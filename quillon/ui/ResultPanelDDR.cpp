#include "ResultPanelDDR.h"

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

} // namespace

CResultPanelDDR::CResultPanelDDR(CResultPanelDDRModel& model, QWidget* parent)
    : QWidget(parent), m_model(model) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* rates = new QGroupBox(QStringLiteral("AnalyseResult"), this);
    auto* ratesLayout = new QGridLayout(rates);
    for (int lane = 0; lane < 4; ++lane) {
        auto* label = new QLabel(QStringLiteral("PassRate(Byte%1):").arg(lane), rates);
        auto* box = new QLineEdit(rates);
        box->setReadOnly(true);
        box->setObjectName(QStringLiteral("rate%1").arg(lane));
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
    for (const auto& column : m_model.Columns()) {
        m_pList->InsertColumn(col++, QString::fromWCharArray(column.szTitle), column.nWidth);
        listWidth += column.nWidth;
    }
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pList->verticalHeader()->setDefaultSectionSize(20);
    m_pList->setMinimumWidth(listWidth + 30);
    bestLayout->addWidget(m_pList);
    m_pAdd = new QPushButton(QStringLiteral("Add"), best);
    m_pDel = new QPushButton(QStringLiteral("Del"), best);
    m_pAdd->hide();
    m_pDel->hide();
    layout->addWidget(best, 1);

    auto* conclusion = new QGroupBox(QStringLiteral("Conclusion"), this);
    auto* conclusionLayout = new QVBoxLayout(conclusion);
    m_pConclusion =
        new QLabel(QString::fromStdWString(CResultPanelDDRModel::kConclusionAtStart), conclusion);
    m_pConclusion->setAlignment(Qt::AlignCenter);
    m_pConclusion->setMinimumWidth(180);
    m_pReason = new QLabel(QStringLiteral("Resaon"), conclusion);
    m_pReason->setWordWrap(true);
    m_pReason->hide();
    conclusionLayout->addWidget(m_pConclusion, 1);
    conclusionLayout->addWidget(m_pReason);
    layout->addWidget(conclusion);

    connect(m_pList, &CEditListCtrl::choiceRequest, this, &CResultPanelDDR::OnChoiceRequest);
    connect(m_pList, &CEditListCtrl::valueChanged, this, &CResultPanelDDR::OnValueChanged);
    connect(m_pAdd, &QPushButton::clicked, this, [this] {
        m_model.AddRow();
        FillList();
    });
    connect(m_pDel, &QPushButton::clicked, this, [this] {
        if (m_model.DeleteRow(m_pList->currentRow())) {
            FillList();
        }
    });
    Refresh();
}

CResultPanelDDRModel::SStoredList CResultPanelDDR::LoadStored(QSettings& profile,
                                                              ELanePanel variant) {
    CResultPanelDDRModel::SStoredList stored = CResultPanelDDRModel::DefaultStoredList();
    profile.beginGroup(QString::fromWCharArray(CResultPanelDDRModel::ProfileSection(variant)));
    stored.m_nLogType = profile.value(QStringLiteral("logtype"), -1).toInt();
    for (int item = 0; item < 4; ++item) {
        for (int col = 0; col < 4; ++col) {
            const QString key =
                QString::fromStdWString(CResultPanelDDRModel::ProfileKey(item, col));
            std::wstring& text = stored.m_vecRows[size_t(item)][size_t(col)];
            text = profile.value(key, QString::fromStdWString(text)).toString().toStdWString();
        }
    }
    profile.endGroup();
    return stored;
}

void CResultPanelDDR::LoadProfile(QSettings& profile) {
    m_model.LoadStored(LoadStored(profile, m_model.Variant()));
    Refresh();
}

void CResultPanelDDR::SaveProfile(QSettings& profile) const {
    const CResultPanelDDRModel::SStoredList stored = m_model.StoredList();
    profile.beginGroup(QString::fromWCharArray(m_model.ProfileSection()));
    profile.setValue(QStringLiteral("logtype"), stored.m_nLogType);
    for (size_t item = 0; item < stored.m_vecRows.size(); ++item) {
        for (int col = 0; col < 4; ++col) {
            profile.setValue(
                QString::fromStdWString(CResultPanelDDRModel::ProfileKey(int(item), col)),
                QString::fromStdWString(stored.m_vecRows[item][size_t(col)]));
        }
    }
    profile.endGroup();
}

void CResultPanelDDR::FillList() {
    m_pList->DeleteAllItems();
    for (int row = 0; row < m_model.RowCount(); ++row) {
        m_pList->InsertItem(row, QStringLiteral("item %1").arg(row));
        for (int col = 0; col < 4; ++col) {
            m_pList->SetItemText(row, col, QString::fromStdWString(m_model.CellText(row, col)));
        }
    }
    for (int col = 0; col < 4; ++col) {
        m_pList->SetComboColumn(m_model.IsEditable(col), col);
    }
}

void CResultPanelDDR::Refresh() {
    for (int lane = 0; lane < 4; ++lane) {
        QLineEdit* box = m_arrRateBoxes[size_t(lane)];
        box->setText(m_model.Shown() ? QString::fromStdWString(m_model.RateTexts()[size_t(lane)])
                                     : QString());
        // Before the first page the boxes keep the default background.
        QPalette palette = box->palette();
        palette.setColor(QPalette::Base, m_model.Shown()
                                             ? ToColor(m_model.RateBoxColors()[size_t(lane)])
                                             : QWidget::palette().color(QPalette::Base));
        box->setPalette(palette);
    }
    FillList();

    m_pConclusion->setText(QString::fromStdWString(m_model.Conclusion()));
    if (m_model.Shown()) {
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
    m_pReason->setText(QString::fromStdWString(m_model.ReasonLabel()));
    m_pReason->setVisible(m_model.ReasonVisible());
}

void CResultPanelDDR::OnChoiceRequest(int column, QStringList* choices) {
    if (choices == nullptr || !m_model.IsEditable(column)) {
        return;
    }
    for (const std::wstring& choice : m_model.Choices(column)) {
        choices->append(QString::fromStdWString(choice));
    }
}

void CResultPanelDDR::OnValueChanged(int row, int column, const QString& text) {
    if (m_model.EditCell(row, column, text.toStdWString())) {
        FillList();
    }
}

void CResultPanelDDR::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape belong to the panel, not to the main dialog around it.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
