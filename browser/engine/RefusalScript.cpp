#include "browser/engine/RefusalScript.h"

namespace RefusalScript {

namespace {
const QString ReportPrefix = QStringLiteral("lumeno-refused:");
const QString FrameHello = QStringLiteral("lumeno-frame");
} // namespace

QString name()
{
    return QStringLiteral("lumeno-new-windows");
}

// Runs in the page's own world, in every frame, before any of its scripts.
// While refusing, window.open returns null at once and nothing reaches the
// engine, which would otherwise build a page for every request; the refusals
// are reported in one message per burst. Everything it calls later is
// captured before the page can replace it.
//
// The program can speak to the main frame only, so a change of the answer
// travels down the frames: each inner frame's copy hands its parent's copy
// one end of a channel of its own when its document is made, and takes
// changes from that channel alone. The handshake carries no secret and is
// stopped before the parent page's listeners; the channel's other end never
// reaches a page. A parent's copy sends its current answer on each handshake,
// so a frame made while the answer changed ends right.
QString source(const QString &token, bool refuse)
{
    return QStringLiteral(R"JS((function () {
'use strict';
var token = '%1';
var refuse = %2;
var hello = '%4';
var apply = Reflect.apply;
var getter = function (proto, name) { return Object.getOwnPropertyDescriptor(proto, name).get; };
var report = Function.prototype.bind.call(console.debug, console);
var later = Function.prototype.bind.call(queueMicrotask, window);
var realOpen = window.open;
var post = window.postMessage;
var stop = Event.prototype.stopImmediatePropagation;
var dataOf = getter(MessageEvent.prototype, 'data');
var portsOf = getter(MessageEvent.prototype, 'ports');
var portPost = MessagePort.prototype.postMessage;
var up = window.parent;
var inner = null;
var pending = 0;
function flush() { var n = pending; pending = 0; if (n > 0) report('%3' + token + ':' + n); }
function follow(on) {
  refuse = on;
  for (var p = inner; p !== null; p = p.next) apply(portPost, p.port, [on]);
}
window.open = { open: function (url, target, features) {
  if (refuse) { if (pending++ === 0) later(flush); return null; }
  return apply(realOpen, this == null ? window : this, arguments);
} }.open;
window.addEventListener('message', function (event) {
  if (apply(dataOf, event, []) !== hello) return;
  apply(stop, event, []);
  var ports = apply(portsOf, event, []);
  if (ports.length !== 1) return;
  inner = { port: ports[0], next: inner };
  apply(portPost, ports[0], [refuse]);
}, true);
if (up === window) {
  Object.defineProperty(window, '__lumenoRefuseNewWindows', {
    value: function (t, on) { if (t === token) follow(!!on); }
  });
} else {
  var channel = new MessageChannel();
  channel.port1.onmessage = function (event) { follow(apply(dataOf, event, []) === true); };
  try { apply(post, up, [hello, '*', [channel.port2]]); }
  catch (e) { up.postMessage(hello, '*', [channel.port2]); }
}
})();)JS")
        .arg(token, refuse ? QStringLiteral("true") : QStringLiteral("false"), ReportPrefix,
             FrameHello);
}

int parseReport(const QString &message, const QString &token)
{
    if (!message.startsWith(ReportPrefix))
        return 0;
    const QStringView rest = QStringView(message).mid(ReportPrefix.size());
    const QString mark = token + QLatin1Char(':');
    if (!rest.startsWith(mark))
        return 0;
    bool ok = false;
    const int n = rest.mid(mark.size()).toInt(&ok);
    return ok && n > 0 ? n : 0;
}

} // namespace RefusalScript
