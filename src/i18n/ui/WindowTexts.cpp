#include "i18n/ui/WindowTexts.h"

#include "i18n/Languages.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QTreeWidget>

#include <functional>

namespace
{

// One translatable text of a window: its key and how to read and set it.
struct Text {
    QString key;
    std::function<QString()> get;
    std::function<void(const QString &)> set;
};

bool isWindow(QObject *object)
{
    return object->isWidgetType() && object->objectName().startsWith(QLatin1String("frm"));
}

// A control whose text the program sets itself (a date, a status) says so
// with the property "translated" set to false.
bool translated(QObject *object)
{
    const QVariant flag = object->property("translated");
    return !flag.isValid() || flag.toBool();
}

QString indexOf(QObject *object, bool zeroWhenNone)
{
    const QVariant index = object->property("index");
    if (index.isValid())
        return QString::number(index.toInt());
    return zeroWhenNone ? QStringLiteral("0") : QString();
}

bool inMenu(QAction *action)
{
    const QList<QObject *> users = action->associatedObjects();
    return std::any_of(users.begin(), users.end(), [](QObject *user) { return qobject_cast<QMenu *>(user); });
}

void addHeaders(QList<Text> &texts, const QString &key, QAbstractItemModel *model)
{
    if (!model)
        return;
    for (int column = 0; column < model->columnCount(); ++column) {
        texts.append({key + QStringLiteral("_COL") + QString::number(column + 1),
            [model, column] { return model->headerData(column, Qt::Horizontal).toString(); },
            [model, column](const QString &text) { model->setHeaderData(column, Qt::Horizontal, text); }});
    }
}

void addTabs(QList<Text> &texts, const QString &key, QTabBar *bar)
{
    for (int tab = 0; tab < bar->count(); ++tab) {
        texts.append({key + QStringLiteral("_TABS") + QString::number(tab + 1),
            [bar, tab] { return bar->tabText(tab); },
            [bar, tab](const QString &text) { bar->setTabText(tab, text); }});
    }
}

// The texts one control contributes, by its kind. A control of a control
// array has its index after its name; a menu item outside an array has 0.
void addControl(QList<Text> &texts, const QString &form, QObject *object)
{
    const QString name = form + QLatin1Char('_') + object->objectName();
    const QString key = name + indexOf(object, false);
    if (auto *button = qobject_cast<QAbstractButton *>(object)) {
        // Command buttons, tool buttons, check boxes and option buttons.
        texts.append({key, [button] { return button->text(); },
            [button](const QString &text) { button->setText(text); }});
    } else if (auto *label = qobject_cast<QLabel *>(object)) {
        texts.append(
            {key, [label] { return label->text(); }, [label](const QString &text) { label->setText(text); }});
    } else if (auto *frame = qobject_cast<QGroupBox *>(object)) {
        texts.append({key, [frame] { return frame->title(); },
            [frame](const QString &text) { frame->setTitle(text); }});
    } else if (auto *tabs = qobject_cast<QTabWidget *>(object)) {
        addTabs(texts, key, tabs->tabBar());
    } else if (auto *bar = qobject_cast<QTabBar *>(object)) {
        addTabs(texts, key, bar);
    } else if (auto *tree = qobject_cast<QTreeWidget *>(object)) {
        QTreeWidgetItem *header = tree->headerItem();
        for (int column = 0; column < tree->columnCount(); ++column) {
            texts.append({key + QStringLiteral("_COL") + QString::number(column + 1),
                [header, column] { return header->text(column); },
                [header, column](const QString &text) { header->setText(column, text); }});
        }
    } else if (qobject_cast<QTreeView *>(object) || qobject_cast<QTableView *>(object)) {
        addHeaders(texts, key, static_cast<QAbstractItemView *>(object)->model());
    } else if (auto *menu = qobject_cast<QMenu *>(object)) {
        texts.append({name + indexOf(menu, true), [menu] { return menu->title(); },
            [menu](const QString &text) { menu->setTitle(text); }});
    } else if (auto *action = qobject_cast<QAction *>(object)) {
        texts.append({inMenu(action) ? name + indexOf(action, true) : key,
            [action] { return action->text(); }, [action](const QString &text) { action->setText(text); }});
    }
}

// Qt's own parts of a widget (a tab bar's scroll buttons, a tool bar's
// extension button) are named "qt_..." or live inside a tab bar.
bool qtPart(QObject *object)
{
    return object->objectName().startsWith(QLatin1String("qt_"));
}

void walk(QList<Text> &texts, const QString &form, QObject *parent)
{
    for (QObject *child : parent->children()) {
        if (isWindow(child) || qtPart(child))
            continue;
        if (!child->objectName().isEmpty() && translated(child))
            addControl(texts, form, child);
        if (!qobject_cast<QTabBar *>(child))
            walk(texts, form, child);
    }
}

QList<Text> textsOf(QWidget *window)
{
    QList<Text> texts;
    const QString form = window->objectName();
    walk(texts, form, window);
    texts.append({form.toUpper() + QStringLiteral("_CAPTION"), [window] { return window->windowTitle(); },
        [window](const QString &text) { window->setWindowTitle(text); }});
    return texts;
}

} // namespace

namespace WindowTexts
{

QList<QPair<QString, QString>> collect(QWidget *window)
{
    QList<QPair<QString, QString>> items;
    for (const Text &text : textsOf(window))
        items.append({text.key, text.get()});
    return items;
}

void apply(QWidget *window)
{
    for (const Text &text : textsOf(window)) {
        const QString translation = Languages().getCaption(text.key);
        if (!translation.isEmpty())
            text.set(translation);
    }
}

} // namespace WindowTexts

void ChangeLanguage(QWidget *window, const QString &language)
{
    Languages().applyLanguage(language);
    if (!window)
        return;
    WindowTexts::apply(window);
    // The window puts the texts it sets itself (from the messages) anew.
    QEvent changed(QEvent::LanguageChange);
    QCoreApplication::sendEvent(window, &changed);
}

void ChangeLanguageMDI(QWidget *window, const QString &language)
{
    ChangeLanguage(window, language);
}
