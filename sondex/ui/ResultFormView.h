#pragma once

#include <QColor>
#include <QWidget>

namespace sondex {
class CResultFormModel;
} // namespace sondex
class CResultListModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

/// The form of the result pane: the folder to analyse with "LogDir" and "Analyze", the
/// result list, the verdict, the fail list and the log parameters of the active document.
class CResultFormView : public QWidget {
    Q_OBJECT
public:
    static inline const QColor kBackground{205, 223, 255};
    static inline const QColor kListBackground{215, 228, 255};
    static inline const QColor kPassColour{0, 255, 0};
    static inline const QColor kFailColour{255, 0, 0};
    static inline const QColor kParameterColour{0, 28, 55};

    explicit CResultFormView(QWidget* parent = nullptr);

    /// Paints what the model holds (rows, verdict, fail list, parameters).
    void ShowModel(const sondex::CResultFormModel& model);
    void SetFolderText(const QString& text);
    [[nodiscard]] QString GetFolderText() const;

    [[nodiscard]] QPushButton* LogDirButton() const { return m_pLogDir; }
    [[nodiscard]] QPushButton* AnalyzeButton() const { return m_pAnalyze; }
    [[nodiscard]] QLineEdit* FolderEdit() const { return m_pFolder; }
    [[nodiscard]] QTableView* ResultList() const { return m_pList; }
    [[nodiscard]] const CResultListModel& ListModel() const { return *m_pModel; }
    [[nodiscard]] QLabel* VerdictLabel() const { return m_pVerdict; }
    [[nodiscard]] QLabel* FailListLabel() const { return m_pFailList; }
    [[nodiscard]] QLabel* ParameterLabel() const { return m_pParameter; }

signals:
    void logDirClicked();
    /// "Analyze" with a folder in the box.
    void analyzeRequested(const QString& folder);

private:
    void OnAnalyze();

    QPushButton* m_pLogDir = nullptr;
    QPushButton* m_pAnalyze = nullptr;
    QLineEdit* m_pFolder = nullptr;
    QTableView* m_pList = nullptr;
    CResultListModel* m_pModel = nullptr;
    QLabel* m_pVerdict = nullptr;
    QLabel* m_pFailList = nullptr;
    QLabel* m_pParameter = nullptr;
};
