#pragma once

#include <QWidget>

namespace sondex {
class CLogDocument;
} // namespace sondex
class CSondexView;
class QVBoxLayout;

/// The tabbed child window of one document, holding its view. The document belongs to the
/// folder workflow; the frame only shows it. The view is made when first asked for, so a
/// folder of many logs costs a frame per log, not a view.
class CChildFrame : public QWidget {
    Q_OBJECT
public:
    explicit CChildFrame(sondex::CLogDocument* document, QWidget* parent = nullptr);

    [[nodiscard]] sondex::CLogDocument* GetDocument() const { return m_pDocument; }
    /// The view, made on the first call.
    [[nodiscard]] CSondexView* GetView();
    [[nodiscard]] bool HasView() const { return m_pView != nullptr; }

signals:
    /// Left (-1) or Right (+1) in the view.
    void switchDocument(int step);

private:
    sondex::CLogDocument* m_pDocument = nullptr;
    CSondexView* m_pView = nullptr;
    QVBoxLayout* m_pLayout = nullptr;
};
