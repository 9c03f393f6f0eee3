#pragma once

#include "DDRTable.h"
#include "LogHeader.h"
#include "PassShare.h"

#include <QColor>
#include <QScrollArea>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace sondex {
class CScanLogData;
} // namespace sondex
class CPassShareBar;
class CPassShareView;

/// The view of a document: every scan table of the log (or of the statistics data) as a
/// grid, one below the other, on a light blue page.
class CSondexView : public QScrollArea {
    Q_OBJECT
public:
    static constexpr int kBottomMargin = 50; ///< pixels below the last grid
    static inline const QColor kBackground{205, 223, 255};

    explicit CSondexView(sondex::CScanLogData* data, QWidget* parent = nullptr);
    ~CSondexView() override;
    CSondexView(const CSondexView&) = delete;
    CSondexView& operator=(const CSondexView&) = delete;

    /// The main frame's title for a document: "Sondex Tool -- [Project:... DDRType:... CLK:...]".
    [[nodiscard]] static QString FrameTitle(const sondex::LogHeader& header);

    /// Takes the document's header; the grids are built by EnsureGrids when the document is
    /// first activated.
    void OnInitialUpdate();
    /// Builds and fills the grids unless they are built already.
    void EnsureGrids();
    [[nodiscard]] bool HasGrids() const { return m_bGridsBuilt; }
    /// The logs behind the cells of the statistics document (table index, table row, table
    /// column); set before EnsureGrids, it adds the Strict / Pass share switch above the
    /// grids and the tool tips naming the failing logs.
    void SetShareSource(std::function<SPassShare(int table, int row, int col)> share);
    [[nodiscard]] CPassShareBar* ShareBar() const { return m_pShareBar; }
    /// The pass-share view of table index, nullptr without a share source.
    [[nodiscard]] CPassShareView* ShareView(int index) const;
    /// Applies a zoom step to every table and lays the grids out again.
    void ZoomBy(int step);
    /// Places the grids and sets the scroll range.
    void LayoutGrids();

    [[nodiscard]] const std::map<int, std::unique_ptr<CDDRTable>>& GetTables() const {
        return m_tables;
    }
    [[nodiscard]] sondex::CScanLogData* GetData() const { return m_pData; }
    [[nodiscard]] QWidget* GetPage() const { return m_pPage; }

signals:
    /// Left (-1) or Right (+1) asks for the previous or next document in opening order.
    void switchDocument(int step);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    [[nodiscard]] CGridCtrl* GridAt(const QPoint& globalPos) const;

    sondex::CScanLogData* m_pData = nullptr;
    sondex::LogHeader m_header;
    QWidget* m_pPage = nullptr;
    std::map<int, std::unique_ptr<CDDRTable>> m_tables;
    int m_nWheelRemainder = 0;
    bool m_bGridsBuilt = false;
    std::function<SPassShare(int, int, int)> m_share;
    CPassShareBar* m_pShareBar = nullptr;
    std::map<int, CPassShareView*> m_shareViews;
};
