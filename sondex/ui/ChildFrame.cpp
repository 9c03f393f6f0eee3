#include "ChildFrame.h"

#include "SondexView.h"

#include "LogDocument.h"

#include <QVBoxLayout>

using namespace sondex;

CChildFrame::CChildFrame(CLogDocument* document, QWidget* parent)
    : QWidget(parent), m_pDocument(document) {
    m_pLayout = new QVBoxLayout(this);
    m_pLayout->setContentsMargins(0, 0, 0, 0);
    setWindowTitle(QString::fromStdWString(document->GetTitle()));
    if (document->GetData() != nullptr) {
        setToolTip(QString::fromStdWString(document->GetData()->GetName()));
    }
}

CSondexView* CChildFrame::GetView() {
    if (m_pView == nullptr) {
        m_pView = new CSondexView(m_pDocument->GetData(), this);
        m_pLayout->addWidget(m_pView);
        setFocusProxy(m_pView);
        connect(m_pView, &CSondexView::switchDocument, this, &CChildFrame::switchDocument);
        m_pView->OnInitialUpdate();
        m_pView->show();
    }
    return m_pView;
}
