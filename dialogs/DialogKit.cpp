#include "DialogKit.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>

namespace {

class KeyPressFilter final : public QObject
{
public:
    KeyPressFilter(QObject *control, std::function<void(int &)> keyPress)
        : QObject(control)
        , m_keyPress(std::move(keyPress))
    {
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        int KeyAscii = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter
            ? 13
            : (text.size() == 1 ? int(text.at(0).unicode()) : 0);
        if (KeyAscii == 0)
            return false;
        m_keyPress(KeyAscii);
        return KeyAscii == 0;
    }

private:
    std::function<void(int &)> m_keyPress;
};

} // namespace

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

void DialogKit::raiseKeyPress(QWidget *control, std::function<void(int &KeyAscii)> keyPress)
{
    control->installEventFilter(new KeyPressFilter(control, std::move(keyPress)));
}
