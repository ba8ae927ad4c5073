#include "platform/Widgets.h"

namespace orb {

Field* makeField(const QString& name, const QString& text, const QString& tip, int limit, int width)
{
    auto* f = new Field(name, text);
    if (!tip.isEmpty()) f->setToolTip(tip);
    if (limit > 0) f->setTypingLimit(limit);
    f->setFixedWidth(width);
    return f;
}

QPushButton* makeButton(const QString& name, const QString& caption, const QString& tip)
{
    auto* b = new QPushButton(caption);
    b->setObjectName(name);
    if (!tip.isEmpty()) b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}

QCheckBox* makeCheck(const QString& name, const QString& caption, const QString& tip)
{
    auto* c = new QCheckBox(caption);
    c->setObjectName(name);
    if (!tip.isEmpty()) c->setToolTip(tip);
    return c;
}

QRadioButton* makeOption(const QString& name, const QString& caption, const QString& tip)
{
    auto* o = new QRadioButton(caption);
    o->setObjectName(name);
    if (!tip.isEmpty()) o->setToolTip(tip);
    return o;
}

QLabel* makeLabel(const QString& text, const QString& tip)
{
    auto* l = new QLabel(text);
    if (!tip.isEmpty()) l->setToolTip(tip);
    return l;
}

QLabel* makeValue(const QString& name, const QString& text)
{
    auto* l = new QLabel(text);
    l->setObjectName(name);
    return l;
}

QGroupBox* makeGroup(const QString& name, const QString& title)
{
    auto* g = new QGroupBox(title);
    g->setObjectName(name);
    return g;
}

void keepPlace(QWidget* w)
{
    QSizePolicy sp = w->sizePolicy();
    sp.setRetainSizeWhenHidden(true);
    w->setSizePolicy(sp);
}

namespace {
constexpr char kOpensDialog[] = "opensDialog";
}

void markOpensDialog(QObject* control) { control->setProperty(kOpensDialog, true); }

bool opensDialog(const QObject* control) { return control->property(kOpensDialog).toBool(); }

}  // namespace orb
