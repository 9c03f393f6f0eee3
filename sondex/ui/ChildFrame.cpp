#include "ChildFrame.h"

#include "SondexView.h"

#include "LogDocument.h"

#include <QVBoxLayout>

CChildFrame::CChildFrame(CLogDocument* document, QWidget* parent)
    : QWidget(parent), m_pDocument(document) {
    m_pView = new CSondexView(document->GetData(), this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pView);
    setFocusProxy(m_pView);
    setWindowTitle(QString::fromStdWString(document->GetTitle()));
    if (document->GetData() != nullptr) {
        setToolTip(QString::fromStdWString(document->GetData()->GetName()));
    }
}
