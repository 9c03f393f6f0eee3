#include "ExportMenu.h"

#include "GridCtrl.h"
#include "HtmlReport.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>

namespace {

void Tell(const QString& text) {
    GetPrompt().Show(text.toStdWString());
}

std::filesystem::path ToPath(const QString& path) {
    return std::filesystem::path(path.toStdString());
}

// A file name from the tab's name: its letters kept, the rest made '_'.
QString SuggestedName(const QString& title, const QString& extension) {
    QString name;
    for (const QChar c : title) {
        name += c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('-') ? c
                                                                                      : QChar('_');
    }
    return (name.isEmpty() ? QStringLiteral("chart") : name) + extension;
}

} // namespace

namespace {

void AppendFormText(const QWidget& widget, QStringList& lines) {
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        if (!label->text().isEmpty()) {
            lines << label->text();
        }
        return;
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(&widget)) {
        lines << edit->text();
        return;
    }
    if (const auto* text = qobject_cast<const QTextEdit*>(&widget)) {
        lines << text->toPlainText();
        return;
    }
    if (const auto* check = qobject_cast<const QCheckBox*>(&widget)) {
        lines << (check->isChecked() ? QStringLiteral("[x] ") : QStringLiteral("[ ] ")) +
                     check->text();
        return;
    }
    if (const auto* view = qobject_cast<const QAbstractItemView*>(&widget)) {
        const QAbstractItemModel* model = view->model();
        if (model == nullptr) {
            return;
        }
        QStringList heading;
        for (int c = 0; c < model->columnCount(); ++c) {
            heading << model->headerData(c, Qt::Horizontal).toString();
        }
        lines << heading.join(QLatin1Char('\t'));
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList row;
            for (int c = 0; c < model->columnCount(); ++c) {
                row << model->index(r, c).data().toString();
            }
            lines << row.join(QLatin1Char('\t'));
        }
        return;
    }
    for (const QObject* child : widget.children()) {
        const auto* childWidget = qobject_cast<const QWidget*>(child);
        if (childWidget != nullptr && !childWidget->isHidden() &&
            qobject_cast<const QHeaderView*>(childWidget) == nullptr) {
            AppendFormText(*childWidget, lines);
        }
    }
}

} // namespace

QString WidgetFormText(const QWidget& form) {
    QStringList lines;
    AppendFormText(form, lines);
    return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

CChartTable GridChartTable(const CGridCtrl& grid, const QString& title) {
    CChartTable table(grid.GetRowCount(), grid.GetColumnCount());
    table.SetTitle(title.toStdString());
    table.SetHeaderRows(grid.GetFixedRowCount());
    table.SetHeaderCols(grid.GetFixedColumnCount());
    for (int row = 0; row < grid.GetRowCount(); ++row) {
        for (int col = 0; col < grid.GetColumnCount(); ++col) {
            table.SetText(row, col, grid.GetItemText(row, col).toStdString());
            const grid::Colour colour = grid.GetItemBkColour(row, col);
            if (colour != grid::kDefaultColour) {
                table.SetColour(row, col, CChartTable::FromColorRef(colour));
            }
        }
    }
    return table;
}

CExportMenu::CExportMenu(SSources sources, QWidget* parent)
    : QMenu(QStringLiteral("Export"), parent), m_sources(std::move(sources)) {
    const bool chart = static_cast<bool>(m_sources.m_grid);
    addAction(QStringLiteral("Chart as PNG..."), this, &CExportMenu::OnChartPng)->setEnabled(chart);
    addAction(QStringLiteral("Chart as SVG..."), this, &CExportMenu::OnChartSvg)->setEnabled(chart);
    addAction(QStringLiteral("Cells as CSV..."), this, &CExportMenu::OnCellsCsv)->setEnabled(chart);
    addAction(QStringLiteral("Result as text..."), this, &CExportMenu::OnResultText)
        ->setEnabled(static_cast<bool>(m_sources.m_resultText));
    addSeparator();
    addAction(QStringLiteral("Export report..."), this, &CExportMenu::OnReport)
        ->setEnabled(static_cast<bool>(m_sources.m_report));
}

QString CExportMenu::ChooseSave(const QString& caption, const QString& extension,
                                const QString& filter) {
    const QString title = m_sources.m_title ? m_sources.m_title() : QString();
    const QString name = SuggestedName(title, extension);
    return m_saveChooser ? m_saveChooser(caption, name, filter)
                         : QFileDialog::getSaveFileName(parentWidget(), caption, name, filter);
}

CGridCtrl* CExportMenu::CurrentGrid() {
    CGridCtrl* grid = m_sources.m_grid ? m_sources.m_grid() : nullptr;
    if (grid == nullptr || grid->GetRowCount() == 0 || grid->GetColumnCount() == 0) {
        Tell(QStringLiteral("There is no chart to export: analyse the logs first."));
        return nullptr;
    }
    return grid;
}

void CExportMenu::WriteText(const QString& path, const std::string& bytes) {
    std::string error;
    if (!WriteReportFile(ToPath(path), bytes, error)) {
        Tell(QStringLiteral("Cannot write %1: %2").arg(path, QString::fromStdString(error)));
    }
}

void CExportMenu::OnChartPng() {
    CGridCtrl* grid = CurrentGrid();
    if (grid == nullptr) {
        return;
    }
    const QImage image = grid->RenderWhole(kMaxPicturePixels);
    if (image.isNull()) {
        Tell(QStringLiteral("The chart is too large for a picture (%1 x %2 pixels); export its "
                            "cells as CSV instead.")
                 .arg(grid->Geometry().GetTotalWidth())
                 .arg(grid->Geometry().GetTotalHeight()));
        return;
    }
    const QString path = ChooseSave(QStringLiteral("Export chart as PNG"), QStringLiteral(".png"),
                                    QStringLiteral("PNG images (*.png)"));
    if (!path.isEmpty() && !image.save(path, "PNG")) {
        Tell(QStringLiteral("Cannot write %1.").arg(path));
    }
}

void CExportMenu::OnChartSvg() {
    CGridCtrl* grid = CurrentGrid();
    if (grid == nullptr) {
        return;
    }
    const QString path = ChooseSave(QStringLiteral("Export chart as SVG"), QStringLiteral(".svg"),
                                    QStringLiteral("SVG images (*.svg)"));
    if (!path.isEmpty()) {
        const QString title = m_sources.m_title ? m_sources.m_title() : QString();
        WriteText(path, ChartSvg(GridChartTable(*grid, title)));
    }
}

void CExportMenu::OnCellsCsv() {
    CGridCtrl* grid = CurrentGrid();
    if (grid == nullptr) {
        return;
    }
    const QString path = ChooseSave(QStringLiteral("Export cells as CSV"), QStringLiteral(".csv"),
                                    QStringLiteral("CSV files (*.csv)"));
    if (!path.isEmpty()) {
        const QString title = m_sources.m_title ? m_sources.m_title() : QString();
        WriteText(path, ChartCsv(GridChartTable(*grid, title)));
    }
}

void CExportMenu::OnResultText() {
    const QString text = m_sources.m_resultText();
    if (text.isEmpty()) {
        Tell(QStringLiteral("There is no result to export: analyse the logs first."));
        return;
    }
    const QString path = ChooseSave(QStringLiteral("Export result as text"),
                                    QStringLiteral(".txt"), QStringLiteral("Text files (*.txt)"));
    if (!path.isEmpty()) {
        WriteText(path, text.toStdString());
    }
}

void CExportMenu::OnReport() {
    const QString caption = QStringLiteral("Export report into folder");
    const QString folder =
        m_folderChooser ? m_folderChooser(caption)
                        : QFileDialog::getExistingDirectory(parentWidget(), caption);
    if (folder.isEmpty()) {
        return;
    }
    if (const std::string problem = PrepareReportFolder(ToPath(folder)); !problem.empty()) {
        Tell(QStringLiteral("Cannot write the report: %1").arg(QString::fromStdString(problem)));
        return;
    }
    std::string error;
    if (!m_sources.m_report(folder, error)) {
        Tell(QStringLiteral("Cannot write the report: %1").arg(QString::fromStdString(error)));
        return;
    }
    Tell(QStringLiteral("The report is in %1.")
             .arg(QDir::toNativeSeparators(QDir(folder).filePath(QStringLiteral("report.html")))));
}
