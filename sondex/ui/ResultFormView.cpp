#include "ResultFormView.h"

#include "ResultListModel.h"

#include "ResultFormModel.h"

#include "UserPrompt.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTableView>
#include <QVBoxLayout>

using namespace sondex;

namespace {

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

} // namespace

CResultFormView::CResultFormView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("resultForm"));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBackground);
    setPalette(palette);
    setAutoFillBackground(true);

    auto* base = new QGroupBox(QStringLiteral("Base"), this);
    m_pLogDir = new QPushButton(QStringLiteral("LogDir"), base);
    m_pFolder = new QLineEdit(base);
    m_pFolder->setMinimumWidth(220);
    m_pAnalyze = new QPushButton(QStringLiteral("Analyze"), base);
    auto* baseLayout = new QVBoxLayout(base);
    baseLayout->addWidget(m_pLogDir);
    baseLayout->addWidget(m_pFolder);
    baseLayout->addWidget(m_pAnalyze);
    baseLayout->addStretch(1);

    auto* passRate = new QGroupBox(QStringLiteral("PassRate"), this);
    m_pModel = new CResultListModel(this);
    m_pList = new QTableView(passRate);
    m_pList->setModel(m_pModel);
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pList->setShowGrid(true);
    m_pList->verticalHeader()->hide();
    m_pList->verticalHeader()->setDefaultSectionSize(20);
    m_pList->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_pList->setColumnWidth(0, 105);
    m_pList->setColumnWidth(1, 85);
    m_pList->setColumnWidth(2, 78);
    m_pList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QPalette listPalette = m_pList->palette();
    listPalette.setColor(QPalette::Base, kListBackground);
    m_pList->setPalette(listPalette);
    m_pList->setMinimumWidth(105 + 85 + 78 + 24);
    auto* passLayout = new QVBoxLayout(passRate);
    passLayout->addWidget(m_pList);

    auto* conclusion = new QGroupBox(QStringLiteral("Conlusion"), this);
    m_pVerdict = new QLabel(conclusion);
    m_pVerdict->setAlignment(Qt::AlignCenter);
    QFont verdictFont(QStringLiteral("黑体"));
    verdictFont.setPointSize(70);
    verdictFont.setWeight(QFont::Bold);
    m_pVerdict->setFont(verdictFont);
    m_pVerdict->setMinimumWidth(
        QFontMetrics(verdictFont).horizontalAdvance(QStringLiteral("Pass")) + 24);
    auto* conclusionLayout = new QVBoxLayout(conclusion);
    conclusionLayout->addWidget(m_pVerdict);

    auto* failList = new QGroupBox(QStringLiteral("FailList"), this);
    m_pFailList = new QLabel(failList);
    m_pFailList->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pFailList->setTextInteractionFlags(Qt::TextSelectableByMouse);
    SetTextColour(m_pFailList, kFailColour);
    // A long fail list scrolls instead of growing the pane.
    auto* failScroll = new QScrollArea(failList);
    failScroll->setWidget(m_pFailList);
    failScroll->setWidgetResizable(true);
    failScroll->setFrameShape(QFrame::NoFrame);
    failScroll->viewport()->setAutoFillBackground(false);
    m_pFailList->setAutoFillBackground(false);
    auto* failLayout = new QVBoxLayout(failList);
    failLayout->addWidget(failScroll);

    auto* parameter = new QGroupBox(QStringLiteral("Parameter"), this);
    m_pParameter = new QLabel(parameter);
    m_pParameter->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetTextColour(m_pParameter, kParameterColour);
    auto* parameterLayout = new QVBoxLayout(parameter);
    parameterLayout->addWidget(m_pParameter);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(base);
    layout->addWidget(passRate);
    layout->addWidget(conclusion);
    layout->addWidget(failList, 1);
    layout->addWidget(parameter);

    connect(m_pLogDir, &QPushButton::clicked, this, &CResultFormView::logDirClicked);
    connect(m_pAnalyze, &QPushButton::clicked, this, &CResultFormView::OnAnalyze);
}

void CResultFormView::OnAnalyze() {
    const QString folder = m_pFolder->text();
    if (folder.isEmpty()) {
        GetPrompt().Show(L"当前文件夹路径为空");
        return;
    }
    emit analyzeRequested(folder);
}

void CResultFormView::ShowModel(const CResultFormModel& model) {
    m_pModel->SetRows(model.GetRows());
    const QString verdict = QString::fromStdWString(model.GetVerdictText());
    m_pVerdict->setText(verdict);
    SetTextColour(m_pVerdict, verdict == QLatin1String("Pass") ? kPassColour : kFailColour);
    if (verdict.isEmpty() && model.GetParameterText().empty()) {
        // A cleared form shows no texts at all.
        m_pFailList->clear();
        m_pParameter->clear();
        return;
    }
    m_pFailList->setText(QString::fromStdWString(model.GetFailListText()));
    m_pParameter->setText(QString::fromStdWString(model.GetParameterText()));
}

void CResultFormView::SetFolderText(const QString& text) {
    m_pFolder->setText(text);
}

QString CResultFormView::GetFolderText() const {
    return m_pFolder->text();
}
