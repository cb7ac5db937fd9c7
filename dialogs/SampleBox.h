#pragma once

#include <QFrame>

// A picture box with a white background inside a sunken 2-pixel border. Its controls stand on
// client(), the area inside the border, which also clips them.
class SampleBox : public QFrame
{
public:
    explicit SampleBox(QWidget *parent);

    QWidget *client() const { return m_client; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *m_client;
};
