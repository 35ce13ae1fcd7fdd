#include "common/ui/Forms.h"

namespace {
QList<LoadedForm *> &registry()
{
    static QList<LoadedForm *> forms;
    return forms;
}
} // namespace

namespace Forms {

void add(LoadedForm *form)
{
    if (!registry().contains(form))
        registry().append(form);
}

void remove(LoadedForm *form)
{
    registry().removeAll(form);
}

QList<LoadedForm *> loaded()
{
    return registry();
}

} // namespace Forms
