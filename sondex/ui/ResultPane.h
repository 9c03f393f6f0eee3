#pragma once

#include <QDockWidget>

class CResultFormView;

/// The pane docked at the bottom of the main frame; the result form fills it.
class CResultPane : public QDockWidget {
    Q_OBJECT
public:
    static constexpr int kInitialHeight = 240; ///< pixels at start

    explicit CResultPane(QWidget* parent = nullptr);
    [[nodiscard]] CResultFormView* GetForm() const { return m_pForm; }

signals:
    /// After every resize, so the frame lays its client area out again.
    void resized();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    CResultFormView* m_pForm = nullptr;
};
