#pragma once
// The register of loaded forms, in the order they were loaded. The host walks
// it at exit to unload every form; nothing else keeps a list of windows.
#include <QList>
#include <QPointer>
#include <QWidget>

class LoadedForm
{
public:
    virtual ~LoadedForm() = default;
    // Runs the form's unload handling once and lets the form go.
    virtual void Unload() = 0;
    virtual QWidget *formWidget() = 0;
};

namespace Forms {
void add(LoadedForm *form);
void remove(LoadedForm *form);
// Loaded forms, oldest first.
QList<LoadedForm *> loaded();
} // namespace Forms
