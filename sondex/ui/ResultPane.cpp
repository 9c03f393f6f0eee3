#include "ResultPane.h"

#include "ResultFormView.h"

CResultPane::CResultPane(QWidget* parent) : QDockWidget(parent) {
    setObjectName(QStringLiteral("resultPane"));
    // The pane stays docked at the bottom; it carries no caption of its own.
    setFeatures(QDockWidget::NoDockWidgetFeatures);
    setTitleBarWidget(new QWidget(this));
    setAllowedAreas(Qt::BottomDockWidgetArea);
    m_pForm = new CResultFormView(this);
    setWidget(m_pForm);
}

void CResultPane::resizeEvent(QResizeEvent* event) {
    QDockWidget::resizeEvent(event);
    emit resized();
}
