#pragma once

#include <QString>
#include <QWidget>

// A frame control: an etched rectangle around a group of controls, with its caption standing in
// the top edge. The controls inside are placed from the frame's own top-left corner, caption or
// not, so a layout given for the frame holds whatever the style's group boxes would do.
class CaptionFrame : public QWidget
{
public:
    explicit CaptionFrame(QWidget *parent, const QString &caption = QString());

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_caption;
};
