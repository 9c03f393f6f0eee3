#pragma once

#include "ChartTable.h"

#include <QMenu>
#include <QString>

#include <functional>
#include <string>

class CGridCtrl;

// "Export" of a window's File menu: the chart of the current tab as PNG (the whole grid at
// its zoom), as SVG and as CSV (both through the one chart-table writer the batch programs
// use), the result panel or form as text, and the report the batch programs write with
// --report. The window hands in where each comes from; files are chosen through choosers a
// test can replace, and every message goes through the prompt seam.

/// The cells of grid as a chart table: texts, and the colours the cells have of their own.
[[nodiscard]] CChartTable GridChartTable(const CGridCtrl& grid, const QString& title);

/// What a result panel or form shows, as lines of text: its labels and boxes in layout
/// order, and each list's heading and rows with tabs between the columns.
[[nodiscard]] QString WidgetFormText(const QWidget& form);

class CExportMenu : public QMenu {
    Q_OBJECT
public:
    /// Where the exports come from; an empty function leaves its action disabled.
    struct SSources {
        std::function<CGridCtrl*()> m_grid;        ///< the current tab's grid, or nullptr
        std::function<QString()> m_title;          ///< the current tab's name
        std::function<QString()> m_resultText;     ///< the result panel or form as text
        /// Writes the report into a folder that exists; false with the reason in error.
        std::function<bool(const QString& folder, std::string& error)> m_report;
    };
    /// Chooses the file to save (caption, suggested name, filter); empty cancels.
    using SaveChooser =
        std::function<QString(const QString& caption, const QString& name, const QString& filter)>;
    /// Chooses the report folder; empty cancels.
    using FolderChooser = std::function<QString(const QString& caption)>;

    /// Pictures larger than this many pixels are refused (a full eMMC page would take GBs).
    static constexpr long long kMaxPicturePixels = 120LL * 1000 * 1000;

    CExportMenu(SSources sources, QWidget* parent);

    void SetSaveChooser(SaveChooser chooser) { m_saveChooser = std::move(chooser); }
    void SetFolderChooser(FolderChooser chooser) { m_folderChooser = std::move(chooser); }

    void OnChartPng();
    void OnChartSvg();
    void OnCellsCsv();
    void OnResultText();
    void OnReport();

private:
    [[nodiscard]] QString ChooseSave(const QString& caption, const QString& extension,
                                     const QString& filter);
    [[nodiscard]] CGridCtrl* CurrentGrid();
    void WriteText(const QString& path, const std::string& bytes);

    SSources m_sources;
    SaveChooser m_saveChooser;
    FolderChooser m_folderChooser;
};
