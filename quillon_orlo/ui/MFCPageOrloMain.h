#pragma once

#include "MFCPageOrlo.h"

#include "OrloGridCells.h"
#include "OrloVerdictLabels.h"

#include <QFont>

#include <array>
#include <string>

class CEditListCtrl;
class CPassShareView;
class QFrame;
class QGroupBox;
class QLabel;

/// The first tab: the grid of the merged page "统计图" with pass counts, under a group box
/// that shows the verdict, its reason and the recommended parameter set. The first verdict
/// shown moves the set's label and list 180 pixels to the right to make room for a large
/// PASS/FAIL; later verdicts change only its colour.
class CMFCPageOrloMain : public CMFCPageOrlo {
    Q_OBJECT

public:
    /// How far the first verdict moves the recommended set to the right, in pixels.
    static constexpr int kVerdictShift = 180;

    CMFCPageOrloMain(const orlo::CLogPageOrlo* merged, int nPages, QWidget* owner);
    ~CMFCPageOrloMain() override;

    /// Shows a verdict: the colour follows every call, texts and layout change the first time.
    void ShowVerdict(bool pass, const std::wstring& reason);
    /// Refills the one-row list with the five values and marks the combination red in the grid.
    void ShowBestSet(int dqsDrv, int dataDrv, int ctl, int clkDrv, int clkwr);

    [[nodiscard]] bool Verdict() const { return m_bVerdict; }
    [[nodiscard]] bool VerdictShown() const { return m_labels.Shown(); }
    [[nodiscard]] CEditListCtrl* BestList() const { return m_pList; }
    [[nodiscard]] QLabel* BestLabel() const { return m_pBestLabel; }
    [[nodiscard]] QLabel* ResultLabel() const { return m_pResultLabel; }
    [[nodiscard]] QLabel* ReasonLabel() const { return m_pReasonLabel; }
    [[nodiscard]] QGroupBox* ResultGroup() const { return m_pGroup; }
    [[nodiscard]] QFrame* VerdictFrame() const { return m_pVerdictFrame; }
    /// The scan's pages, for the Strict / Pass share switch above the grid and the tool tips
    /// naming the logs that did not pass a cell; set before the grid is built. list must
    /// outlive the page.
    void SetShareList(const orlo::OrloPageList* list);
    /// The pass-share view once the grid is built with a share list, else nullptr.
    [[nodiscard]] CPassShareView* ShareView() const { return m_pShareView; }

protected:
    void LayoutControls() override;
    [[nodiscard]] orlo::SOrloMark CurrentMark() const override { return m_mark; }
    void OnGridBuilt() override;

private:
    void RepaintMarkRow(const orlo::SOrloMark& mark);

    QGroupBox* m_pGroup = nullptr;
    QFrame* m_pVerdictFrame = nullptr; // the narrow frame at the group's left
    QLabel* m_pBestLabel = nullptr;
    CEditListCtrl* m_pList = nullptr;
    QLabel* m_pResultLabel = nullptr;
    QLabel* m_pReasonLabel = nullptr;
    QFont m_resultFont; // 60-point 黑体
    std::array<std::wstring, 5> m_bestTexts;
    bool m_bVerdict = false;
    orlo::COrloVerdictLabels m_labels;
    orlo::SOrloMark m_mark;
    const orlo::OrloPageList* m_pShareList = nullptr;
    CPassShareView* m_pShareView = nullptr;
};
