#pragma once

#include <QList>
#include <QString>

// Every message box of the program goes through this seam. The desktop
// program installs a QMessageBox backend, the command line prints, and the
// tests install a recorder that answers from a script.
namespace Messages
{

enum class Icon { Information, Exclamation, Question, Critical };
enum class Buttons { Ok, YesNo, RetryCancel };
enum class Answer { Ok, Yes, No, Retry, Cancel };

class Backend
{
public:
    virtual ~Backend() = default;
    virtual Answer ask(Icon icon, const QString &title, const QString &text, Buttons buttons) = 0;
};

// Installs a backend (not owned); nullptr restores the default, which writes
// "TITLE: TEXT" to standard error and gives the cautious answer
// (No, Cancel).
void setBackend(Backend *backend);
// The installed backend, nullptr for the default.
Backend *backend();

Answer show(Icon icon, const QString &title, const QString &text, Buttons buttons = Buttons::Ok);

inline void exclamation(const QString &title, const QString &text)
{
    show(Icon::Exclamation, title, text);
}
inline void information(const QString &title, const QString &text)
{
    show(Icon::Information, title, text);
}
inline bool askYesNo(const QString &title, const QString &text)
{
    return show(Icon::Question, title, text, Buttons::YesNo) == Answer::Yes;
}

// The critical box of an unexpected failure inside a procedure:
// title "<procedure> Function", text "Error on Line <n>\r\n\r\n<description>".
void runtimeError(const QString &procedure, const QString &description, int line = 0);

// The information box of a failing utility: "<number> : \r\n\r\n<description>",
// titled "Error !" when no title is given.
void utilityError(int number, const QString &description, const QString &title = QString());

// The answer the default backend gives for a set of buttons.
Answer cautiousAnswer(Buttons buttons);

// One box as it was asked for.
struct Box {
    Icon icon;
    QString title;
    QString text;
};

// While a Capture lives, the boxes asked for on its thread are kept instead
// of shown (with the cautious answer), so that work done off the window
// thread, or while a lock is held, can have its boxes shown afterwards by
// replay() on the window thread.
class Capture
{
public:
    Capture();
    ~Capture();
    Capture(const Capture &) = delete;
    Capture &operator=(const Capture &) = delete;

    QList<Box> take();
    static void replay(const QList<Box> &boxes);

private:
    friend Answer show(Icon, const QString &, const QString &, Buttons);
    QList<Box> m_boxes;
    Capture *m_outer;
};

} // namespace Messages
