#include "MFCPageOrloMain.h"

#include "EditListCtrl.h"
#include "GridCtrl.h"
#include "PassShareBar.h"
#include "PassShareView.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>

namespace {

// Layout of the statistics page in page pixels; rectangles as left, top, right, bottom.
constexpr int kGroupLeft = 4;
constexpr int kGroupTop = 4;
constexpr int kGroupHeight = 170;
constexpr int kGridTop = kGroupTop + kGroupHeight + 6;
constexpr int kFrameLeft = 12;
constexpr int kFrameTop = 22;
constexpr int kFrameWidth = 24;
constexpr int kFrameHeight = 146;
constexpr int kSetLeft = 44; // "最佳组合" and the list
constexpr int kLabelTop = 24;
constexpr int kListTop = 46;
constexpr int kListHeight = 58;
constexpr int kListRightGap = 12;             // from the group's right edge
constexpr QRect kResultRect(20, 52, 40, 5);   // "结果" before the first verdict
constexpr QRect kReasonRect(20, 116, 20, 48); // "原因" before the first verdict

QRect Edges(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

QColor FromColorRef(uint32_t colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

} // namespace

CMFCPageOrloMain::CMFCPageOrloMain(const orlo::CLogPageOrlo* merged, int nPages, QWidget* owner)
    : CMFCPageOrlo(merged, nPages, owner) {
    m_pGroup = new QGroupBox(QStringLiteral("统计分析结果"), this);
    m_pVerdictFrame = new QFrame(this);
    m_pVerdictFrame->setFrameShape(QFrame::Box);
    m_pVerdictFrame->setFrameShadow(QFrame::Sunken);
    m_pBestLabel = new QLabel(QStringLiteral("最佳组合"), this);
    m_pList = new CEditListCtrl(this);
    for (size_t i = 0; i < orlo::kOrloBestColumns.size(); ++i) {
        const orlo::SOrloListColumn& column = orlo::kOrloBestColumns[i];
        m_pList->InsertColumn(static_cast<int>(i), QString::fromWCharArray(column.m_szTitle),
                              column.m_nWidth);
    }
    m_pResultLabel = new QLabel(QStringLiteral("结果"), this);
    m_pResultLabel->setAttribute(Qt::WA_TranslucentBackground);
    m_pResultLabel->hide();
    m_pReasonLabel = new QLabel(QStringLiteral("原因"), this);
    m_pReasonLabel->setWordWrap(true);
    m_pReasonLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pReasonLabel->hide();
    // The monospaced face of the fallback has the half-width Latin letters of 黑体, so that
    // "PASS" at 60 points fits the label as it does there.
    m_resultFont.setFamilies({QStringLiteral("黑体"), QStringLiteral("SimHei"),
                              QStringLiteral("WenQuanYi Zen Hei Mono")});
    m_resultFont.setPointSize(60);
    m_pGridFrame->raise();
}

CMFCPageOrloMain::~CMFCPageOrloMain() = default;

void CMFCPageOrloMain::LayoutControls() {
    const int shift = m_labels.Shown() ? kVerdictShift : 0;
    const int groupWidth = std::max(0, width() - 2 * kGroupLeft);
    m_pGroup->setGeometry(kGroupLeft, kGroupTop, groupWidth, kGroupHeight);
    m_pVerdictFrame->setGeometry(kFrameLeft, kFrameTop, kFrameWidth + shift, kFrameHeight);
    m_pBestLabel->setGeometry(kSetLeft + shift, kLabelTop, 120, 20);
    const int listRight = kGroupLeft + groupWidth - kListRightGap;
    m_pList->setGeometry(Edges(kSetLeft + shift, kListTop, std::max(kSetLeft + shift, listRight),
                               kListTop + kListHeight));
    if (m_labels.Shown()) {
        m_pResultLabel->setGeometry(Edges(kResultRect.left() + 15, kResultRect.top() - 30,
                                          kResultRect.left() + kResultRect.width() + 150,
                                          kResultRect.top() + kResultRect.height() + 55));
        m_pReasonLabel->setGeometry(Edges(kReasonRect.left() + 10, kReasonRect.top(),
                                          kReasonRect.left() + kReasonRect.width() + 175,
                                          kReasonRect.top() + kReasonRect.height()));
    } else {
        m_pResultLabel->setGeometry(kResultRect);
        m_pReasonLabel->setGeometry(kReasonRect);
    }
    int gridTop = kGridTop;
    if (m_pShareView != nullptr && m_pShareView->Bar() != nullptr) {
        const int barHeight = m_pShareView->Bar()->sizeHint().height();
        m_pShareView->Bar()->setGeometry(kGroupLeft, kGridTop, groupWidth, barHeight);
        gridTop += barHeight;
    }
    m_pGridFrame->setGeometry(kGroupLeft, gridTop, groupWidth,
                              std::max(0, height() - gridTop - kGroupLeft));
    if (Grid() != nullptr) {
        Grid()->setGeometry(m_pGridFrame->rect());
    }
}

void CMFCPageOrloMain::ShowVerdict(bool pass, const std::wstring& reason) {
    m_bVerdict = pass;
    if (m_labels.Update(pass, reason)) {
        m_pResultLabel->setFont(m_resultFont);
        m_pResultLabel->setText(QString::fromStdWString(m_labels.ResultText()));
        m_pReasonLabel->setText(QString::fromStdWString(m_labels.ReasonText()));
        m_pResultLabel->show();
        m_pReasonLabel->show();
        LayoutControls();
    }
    QPalette palette = m_pResultLabel->palette();
    palette.setColor(QPalette::WindowText, FromColorRef(m_labels.ResultColor()));
    m_pResultLabel->setPalette(palette);
}

void CMFCPageOrloMain::ShowBestSet(int dqsDrv, int dataDrv, int ctl, int clkDrv, int clkwr) {
    m_bestTexts = orlo::GetOrloBestRow(dqsDrv, dataDrv, ctl, clkDrv, clkwr);
    m_pList->DeleteAllItems();
    m_pList->InsertItem(0, QString::fromStdWString(m_bestTexts[0]));
    for (int col = 1; col < static_cast<int>(m_bestTexts.size()); ++col) {
        m_pList->SetItemText(0, col, QString::fromStdWString(m_bestTexts[col]));
    }
    // Only the latest recommendation stays red; the row of an earlier one turns back to grey.
    const orlo::SOrloMark previous = m_mark;
    m_mark.m_bSet = true;
    m_mark.m_drive = {dqsDrv, dataDrv, ctl, clkDrv};
    if (Grid() != nullptr) {
        RepaintMarkRow(previous);
        RepaintMarkRow(m_mark);
    }
}

void CMFCPageOrloMain::RepaintMarkRow(const orlo::SOrloMark& mark) {
    if (!mark.m_bSet) {
        return;
    }
    for (int row = 1; row < orlo::kOrloGridRows; ++row) {
        if (orlo::GetOrloRowCombination(row) == mark.m_drive) {
            for (int col = 1; col < orlo::kOrloFirstClkwrCol; ++col) {
                FillCell(row, col, m_mark);
            }
            return;
        }
    }
}

void CMFCPageOrloMain::SetShareList(const orlo::OrloPageList* list) {
    m_pShareList = list;
}

void CMFCPageOrloMain::OnGridBuilt() {
    if (m_pShareList == nullptr || m_pShareView != nullptr || Page() == nullptr) {
        return;
    }
    const orlo::OrloPageList* list = m_pShareList;
    // The clkwr cells of every combination the merged page holds: those the logs speak of.
    const auto cells = [this](const std::function<void(int, int)>& visit) {
        for (int row = 1; row < orlo::kOrloGridRows; ++row) {
            const std::array<int, 4> drive = orlo::GetOrloRowCombination(row);
            if (Page()->Find(drive[0], drive[1], drive[2], drive[3]) == nullptr) {
                continue;
            }
            for (int col = orlo::kOrloFirstClkwrCol; col < orlo::kOrloGridCols; ++col) {
                visit(row, col);
            }
        }
    };
    m_pShareView = new CPassShareView(
        *Grid(), [list](int row, int col) { return orlo::GetOrloCellShare(*list, row, col); },
        cells,
        [this, cells] {
            const orlo::SOrloMark mark = CurrentMark();
            cells([this, &mark](int row, int col) { FillCell(row, col, mark); });
        },
        this);
    m_pShareView->CreateBar(this)->show();
    LayoutControls();
}
