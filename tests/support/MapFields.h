#pragma once
// An IFields over plain maps, for tests of the record logic without a window.
// Unknown fields read as empty, unchecked and enabled; check() of a radio
// unchecks the other radios of its group (`groups`) and runs `onCheck`.
// A scheme or notify box selects what its text stands for, as in the window.
#include "IFields.h"
#include "ListEntry.h"

#include <QHash>
#include <QSet>
#include <functional>

class MapFields : public IFields {
public:
    QHash<QString, QString> texts;
    QHash<QString, QString> selected;   // name box -> selected entry text
    QHash<QString, int> selectedIndexes;
    QSet<QString> checked;
    QSet<QString> disabled;
    QHash<QString, QString> captions;
    QHash<QString, QStringList> lists;
    QList<QStringList> groups;          // radio groups
    QStringList setTextLog;             // every field set, in order
    std::function<void(const QString &)> onCheck;

    QString text(const QString &f) const override { return texts.value(f); }
    void setText(const QString &f, const QString &t) override
    {
        setTextLog << f;
        texts[f] = t;
    }
    QString selectedEntry(const QString &c) const override
    {
        return hasFixedList(c) ? listEntryFor(c, texts.value(c)) : selected.value(c);
    }
    bool isChecked(const QString &r) const override { return checked.contains(r); }
    void check(const QString &r) override
    {
        for (const QStringList &g : groups)
            if (g.contains(r))
                for (const QString &o : g)
                    checked.remove(o);
        checked.insert(r);
        if (onCheck)
            onCheck(r);
    }
    bool isEnabled(const QString &f) const override { return !disabled.contains(f); }
    void setEnabled(const QString &f, bool e) override
    {
        if (e)
            disabled.remove(f);
        else
            disabled.insert(f);
    }
    QString caption(const QString &l) const override { return captions.value(l); }
    void setCaption(const QString &l, const QString &c) override { captions[l] = c; }
    QStringList items(const QString &c) const override { return lists.value(c); }
    void setItems(const QString &c, const QStringList &i) override { lists[c] = i; }
    int selectedIndex(const QString &c) const override { return selectedIndexes.value(c, -1); }
    void setSelectedIndex(const QString &c, int i) override
    {
        selectedIndexes[c] = i;
        selected[c] = lists.value(c).value(i);
    }
};
