#include "DialogKit.h"

#include <QComboBox>
#include <QLabel>

void DialogKit::place(QWidget *control, int left, int top, int width, int height) const
{
    control->setGeometry(TwipsRect(left, top, width, height, m_sizes));
}

CaptionFrame *DialogKit::frame(QWidget *parent, const char *name, const QString &caption,
                               const FrameLook &look, int left, int top, int width,
                               int height) const
{
    auto *box = new CaptionFrame(parent, caption, look);
    named(box, name);
    place(box, left, top, width, height);
    return box;
}

QLabel *DialogKit::topLeftLabel(QWidget *parent, const char *name, const QString &caption, int left,
                                int top, int width, int height) const
{
    auto *label = add<QLabel>(parent, name, caption, left, top, width, height);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QComboBox *DialogKit::editableCombo(QWidget *parent, const char *name, int left, int top, int width,
                                    int height) const
{
    auto *combo = add<QComboBox>(parent, name, left, top, width, height);
    combo->setEditable(true);
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}
