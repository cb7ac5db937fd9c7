#pragma once

#include <QPointer>

// Every form other than the main form and the overlay is created on first reference and destroyed
// when unloaded; unloading one that is not loaded does nothing. A Form<T> gives that to each form:
// `frmFont->show()` creates frmFont (running its Form_Load) if it does not exist, and
// `frmFont.unload()` runs its Form_Unload and destroys it if it does.
//
// T provides Form_Load() and Form_Unload(). While a form unloads, references to it still reach the
// instance being unloaded, and a second unload of it does nothing.
template<class T> class Form
{
public:
    T *operator->() { return get(); }
    T &operator*() { return *get(); }

    T *get()
    {
        if (!m_instance) {
            m_instance = new T;
            m_instance->Form_Load();
        }
        return m_instance;
    }

    bool isLoaded() const { return m_instance != nullptr; }
    T *ifLoaded() const { return m_instance; }

    void unload()
    {
        if (!m_instance || m_unloading)
            return;
        m_unloading = true;
        T *form = m_instance;
        form->Form_Unload();
        m_instance = nullptr;
        m_unloading = false;
        form->hide();
        form->deleteLater();
    }

    // Forgets the instance without running its Form_Unload: the program is ending.
    void destroy()
    {
        delete m_instance;
        m_instance = nullptr;
    }

private:
    T *m_instance = nullptr;
    bool m_unloading = false;
};
