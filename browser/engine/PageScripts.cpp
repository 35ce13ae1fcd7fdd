#include "browser/engine/PageScripts.h"

#include "browser/engine/RefusalScript.h"
#include "browser/engine/TypingScript.h"

#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace PageScripts {

namespace {
void installRefusal(QWebEnginePage *page, const QString &token, bool refuse)
{
    QWebEngineScriptCollection &scripts = page->scripts();
    for (const QWebEngineScript &old : scripts.find(RefusalScript::name()))
        scripts.remove(old);
    QWebEngineScript script;
    script.setName(RefusalScript::name());
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    // The engine gives no script to an empty frame that a page makes itself
    // (nor once it is filled by document.write, nor to a javascript: address):
    // there window.open still reaches the engine, and the window decides.
    script.setRunsOnSubFrames(true);
    script.setSourceCode(RefusalScript::source(token, refuse));
    scripts.insert(script);
}

void installTyping(QWebEnginePage *page, const QString &token)
{
    QWebEngineScript script;
    script.setName(TypingScript::name());
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    // A world of its own: the page can neither see the token nor undo it.
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(TypingScript::source(token));
    page->scripts().insert(script);
}
} // namespace

void install(QWebEnginePage *page, const QString &token, bool refuse)
{
    installRefusal(page, token, refuse);
    installTyping(page, token);
}

void setRefused(QWebEnginePage *page, const QString &token, bool refused)
{
    installRefusal(page, token, refused);
    page->runJavaScript(QStringLiteral("window.__lumenoRefuseNewWindows && "
                                       "window.__lumenoRefuseNewWindows('%1', %2);")
                            .arg(token, refused ? QStringLiteral("true") : QStringLiteral("false")),
                        QWebEngineScript::MainWorld);
}

} // namespace PageScripts
