#include "SampleBox.h"

#include <QResizeEvent>

SampleBox::SampleBox(QWidget *parent)
    : QFrame(parent)
    , m_client(new QWidget(this))
{
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
}

void SampleBox::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    m_client->setGeometry(contentsRect());
}
