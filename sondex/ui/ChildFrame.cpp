#include "ChildFrame.h"

#include "SondexView.h"

#include "LogDocument.h"

CChildFrame::CChildFrame(CLogDocument* document, QWidget* parent)
    : QMdiSubWindow(parent), m_pDocument(document) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_pView = new CSondexView(document->GetData(), this);
    setWidget(m_pView);
    setWindowTitle(QString::fromStdWString(document->GetTitle()));
    if (document->GetData() != nullptr) {
        setToolTip(QString::fromStdWString(document->GetData()->GetName()));
    }
}
