#pragma once

#include <QWidget>

class CLogDocument;
class CSondexView;

/// The tabbed child window of one document, holding its view. The document belongs to the
/// folder workflow; the frame only shows it.
class CChildFrame : public QWidget {
    Q_OBJECT
public:
    explicit CChildFrame(CLogDocument* document, QWidget* parent = nullptr);

    [[nodiscard]] CLogDocument* GetDocument() const { return m_pDocument; }
    [[nodiscard]] CSondexView* GetView() const { return m_pView; }

private:
    CLogDocument* m_pDocument = nullptr;
    CSondexView* m_pView = nullptr;
};
