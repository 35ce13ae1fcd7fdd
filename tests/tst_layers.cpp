// The layers hold as the tree shows them: every source file sits in one
// layer folder, includes only go to its own layer or a lower one, the core
// sees no widget and no engine, the forms no engine, and no two files include
// each other round a circle. The compiler would let most of these slip
// through (the whole source root is on every include path), so they are read
// from the files themselves.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLibraryInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>

namespace {

// The features, lowest first: within one layer a file may include files of
// its own feature or of one below it. What every feature shares is at the
// bottom, the host, which holds them all, at the top.
const QStringList kAreas = {"common", "favorites", "downloads", "history", "browser", "session", "shell"};
// Lowest first: a file may include files of its own rank or a lower one.
const QStringList kLayers = {"core", "ui", "engine", "app"};

struct Include
{
    int line = 0;
    QString target;  // as written between the quotes or brackets
    bool angled = false;
};

struct Source
{
    QString path;   // relative to the root, with '/'
    QString layer;  // empty when the file is not in exactly one layer folder
    QList<Include> includes;
    int lines = 0;
};

QString layerOf(const QString &relPath)
{
    const QStringList parts = relPath.split('/');
    if (parts.size() != 3 || !kAreas.contains(parts[0]) || !kLayers.contains(parts[1]))
        return {};
    return parts[1];
}

QList<Source> readTree(const QString &root)
{
    static const QRegularExpression includeLine(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    QList<Source> sources;
    for (const QString &area : kAreas) {
        QDirIterator it(root + '/' + area, {"*.h", "*.cpp"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            Source source;
            source.path = QDir(root).relativeFilePath(file);
            source.layer = layerOf(source.path);
            QFile f(file);
            if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
                qFatal("cannot read %s", qPrintable(file));
            int lineNo = 0;
            while (!f.atEnd()) {
                const QString line = QString::fromUtf8(f.readLine());
                ++lineNo;
                const auto m = includeLine.match(line);
                if (m.hasMatch())
                    source.includes.append({lineNo, m.captured(2).trimmed(), m.captured(1) == "<"});
            }
            source.lines = lineNo;
            sources.append(source);
        }
    }
    std::sort(sources.begin(), sources.end(),
              [](const Source &a, const Source &b) { return a.path < b.path; });
    return sources;
}

// The project file an include names, relative to the root, or empty for a
// header from outside the tree. Quoted names are looked up beside the
// including file first, as the compiler does.
QString projectFile(const QString &root, const Source &from, const Include &inc)
{
    if (!inc.angled) {
        const QString beside = QDir::cleanPath(QFileInfo(from.path).path() + '/' + inc.target);
        if (QFileInfo(root + '/' + beside).isFile())
            return beside;
    }
    const QString fromRoot = QDir::cleanPath(inc.target);
    if (kAreas.contains(fromRoot.section('/', 0, 0)) && QFileInfo(root + '/' + fromRoot).isFile())
        return fromRoot;
    return {};
}

QString where(const Source &s, const Include &inc)
{
    return QStringLiteral("%1:%2: #include %3%4%5")
        .arg(s.path)
        .arg(inc.line)
        .arg(inc.angled ? "<" : "\"", inc.target, inc.angled ? ">" : "\"");
}

QStringList misplacedFiles(const QList<Source> &sources)
{
    QStringList faults;
    for (const Source &s : sources)
        if (s.layer.isEmpty())
            faults << QStringLiteral("%1: not in exactly one layer folder (<area>/{%2}/<file>)")
                          .arg(s.path, kLayers.join(','));
    return faults;
}

QStringList upwardIncludes(const QString &root, const QList<Source> &sources)
{
    QStringList faults;
    for (const Source &s : sources) {
        for (const Include &inc : s.includes) {
            const QString target = projectFile(root, s, inc);
            if (target.isEmpty()) {
                // A quoted name that is no file of the tree is a typo or a
                // file that moved; moc's own outputs are the exception.
                if (!inc.angled && !inc.target.endsWith(".moc") && !inc.target.startsWith("moc_"))
                    faults << where(s, inc) + "  (no such file in the tree)";
                continue;
            }
            const QString targetLayer = layerOf(target);
            if (s.layer.isEmpty() || targetLayer.isEmpty())
                continue;  // reported by misplacedFiles
            if (kLayers.indexOf(targetLayer) > kLayers.indexOf(s.layer))
                faults << where(s, inc) + QStringLiteral("  (%1 file reaches up to %2)").arg(s.layer, targetLayer);
        }
    }
    return faults;
}

// Within one layer, an include that reaches a feature above the file's own.
QStringList featureOrderBreaches(const QString &root, const QList<Source> &sources)
{
    QStringList faults;
    for (const Source &s : sources) {
        const QString feature = s.path.section('/', 0, 0);
        for (const Include &inc : s.includes) {
            const QString target = projectFile(root, s, inc);
            if (target.isEmpty() || s.layer.isEmpty() || layerOf(target) != s.layer)
                continue;
            const QString targetFeature = target.section('/', 0, 0);
            if (kAreas.indexOf(targetFeature) > kAreas.indexOf(feature))
                faults << where(s, inc) + QStringLiteral("  (%1 reaches up to %2)").arg(feature, targetFeature);
        }
    }
    return faults;
}

// The Qt module (its header folder, "QtCore", "QtWidgets", ...) that holds a
// header, looked up in the headers Qt was built with.
class QtModules
{
public:
    explicit QtModules(const QString &headers) : m_headers(headers)
    {
        const QFileInfoList dirs = QDir(headers).entryInfoList({"Qt*"}, QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QFileInfo &d : dirs)
            m_modules << d.fileName();
    }
    bool found() const { return m_modules.contains("QtCore"); }

    QStringList modulesOf(const QString &header)
    {
        if (header.contains('/'))
            return m_modules.contains(header.section('/', 0, 0)) ? QStringList{header.section('/', 0, 0)} : QStringList{};
        if (!m_cache.contains(header)) {
            QStringList holders;
            for (const QString &m : std::as_const(m_modules))
                if (QFileInfo(m_headers + '/' + m + '/' + header).isFile())
                    holders << m;
            m_cache.insert(header, holders);
        }
        return m_cache.value(header);
    }

private:
    QString m_headers;
    QStringList m_modules;
    QHash<QString, QStringList> m_cache;
};

QStringList foreignQtHeaders(const QList<Source> &sources, QtModules &qt)
{
    static const QRegularExpression widgets(R"(^(QtWidgets\b|QWidget))");
    static const QRegularExpression engine(R"(^(QtWebEngine|QWebEngine))");
    QStringList faults;
    for (const Source &s : sources) {
        if (s.layer != "core" && s.layer != "ui")
            continue;
        for (const Include &inc : s.includes) {
            if (!inc.angled)
                continue;
            const QStringList modules = qt.modulesOf(inc.target);
            const bool engineModule = std::any_of(modules.begin(), modules.end(),
                                                  [](const QString &m) { return m.startsWith("QtWebEngine"); });
            if (engine.match(inc.target).hasMatch() || engineModule) {
                faults << where(s, inc) + QStringLiteral("  (%1 file uses Qt WebEngine)").arg(s.layer);
            } else if (s.layer == "core") {
                // The core is Qt Core only, and Qt SQL for the data the
                // program keeps: no widget, and nothing of the display
                // either (QtGui).
                const bool notCore = !modules.isEmpty() && !modules.contains("QtCore") && !modules.contains("QtSql");
                if (widgets.match(inc.target).hasMatch() || notCore)
                    faults << where(s, inc)
                                  + QStringLiteral("  (core file uses %1)")
                                        .arg(modules.isEmpty() ? QStringLiteral("Qt Widgets") : modules.join('/'));
            }
        }
    }
    return faults;
}

// Circles of includes, found as the strongly connected parts of a graph of
// files. With headers only, any circle is a fault: #pragma once hides it
// from the compiler, and which declaration comes first then depends on
// which header a file happened to include first. With each .cpp standing
// for its header, a circle is two classes that need each other; that is
// allowed for classes of one folder that work as one (a view and its page)
// but not across folders, where it would tie, say, the host and the browser
// window to each other's headers.
enum class Nodes { HeadersOnly, CppAsItsHeader };

QStringList includeCycles(const QString &root, const QList<Source> &sources, Nodes nodes)
{
    auto node = [&](const QString &path) {
        if (nodes == Nodes::CppAsItsHeader && path.endsWith(".cpp")) {
            const QString header = path.chopped(4) + ".h";
            if (QFileInfo(root + '/' + header).isFile())
                return header;
        }
        return path;
    };
    QMap<QString, QStringList> edges;
    QMultiHash<QString, QString> via;  // "from->to" : the includes that make it
    for (const Source &s : sources) {
        const QString from = node(s.path);
        edges[from];
        for (const Include &inc : s.includes) {
            const QString target = projectFile(root, s, inc);
            if (target.isEmpty() || node(target) == from)
                continue;
            if (!edges[from].contains(node(target)))
                edges[from] << node(target);
            via.insert(from + "->" + node(target), where(s, inc));
        }
    }

    // Tarjan's algorithm.
    QHash<QString, int> index, low;
    QStringList stack;
    QSet<QString> onStack;
    QList<QStringList> parts;
    std::function<void(const QString &)> connect = [&](const QString &v) {
        const int i = int(index.size());
        index[v] = i;
        low[v] = i;
        stack << v;
        onStack << v;
        for (const QString &w : edges.value(v)) {
            if (!index.contains(w)) {
                connect(w);
                low[v] = std::min(low[v], low[w]);
            } else if (onStack.contains(w)) {
                low[v] = std::min(low[v], index[w]);
            }
        }
        if (low[v] == index[v]) {
            QStringList part;
            QString w;
            do {
                w = stack.takeLast();
                onStack.remove(w);
                part << w;
            } while (w != v);
            if (part.size() > 1)
                parts << part;
        }
    };
    for (auto it = edges.cbegin(); it != edges.cend(); ++it)
        if (!index.contains(it.key()))
            connect(it.key());

    QStringList faults;
    for (QStringList part : std::as_const(parts)) {
        part.sort();
        QSet<QString> folders;
        for (const QString &n : part)
            folders << QFileInfo(n).path();
        if (nodes == Nodes::CppAsItsHeader && folders.size() == 1)
            continue;
        QStringList steps;
        for (const QString &from : part)
            for (const QString &to : part) {
                QStringList made = via.values(from + "->" + to);
                made.sort();
                steps << made;
            }
        faults << QStringLiteral("%1 include each other: %2\n      %3")
                      .arg(nodes == Nodes::HeadersOnly ? "headers" : "classes", part.join(", "),
                           steps.join("\n      "));
    }
    faults.sort();
    return faults;
}

// A file grown past this many lines holds more than one job: the class is
// split, not the file.
constexpr int MaxLines = 450;

QStringList longFiles(const QList<Source> &sources, int maxLines)
{
    QStringList faults;
    for (const Source &s : sources)
        if (s.lines > maxLines)
            faults << QStringLiteral("%1: %2 lines").arg(s.path).arg(s.lines);
    return faults;
}

void expectClean(const QStringList &faults)
{
    QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("%1 fault(s):\n").arg(faults.size()) + faults.join('\n')));
}

void writeFile(const QString &root, const QString &path, const QByteArray &text)
{
    QDir(root).mkpath(QFileInfo(path).path());
    QFile f(root + '/' + path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

}  // namespace

class tst_layers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyFileInOneLayerFolder();
    void includesGoToTheSameOrALowerLayer();
    void includesGoToTheSameOrALowerFeature();
    void coreAndFormsUseOnlyTheirQtModules();
    void noHeaderCycles();
    void noClassCyclesAcrossFolders();
    void noFileOverTheLimit();
    void faultsInATreeAreFound();

private:
    QString m_root = QStringLiteral(LUMENO_SOURCE_DIR);
    QList<Source> m_sources;
};

void tst_layers::initTestCase()
{
    m_sources = readTree(m_root);
    // Guard against reading the wrong place and passing on nothing.
    QStringList paths;
    for (const Source &s : std::as_const(m_sources))
        paths << s.path;
    QVERIFY2(paths.contains("browser/ui/WebView.h"), qPrintable(m_root));
    QVERIFY(paths.contains("shell/app/main.cpp"));
}

void tst_layers::everyFileInOneLayerFolder()
{
    expectClean(misplacedFiles(m_sources));
}

void tst_layers::includesGoToTheSameOrALowerLayer()
{
    expectClean(upwardIncludes(m_root, m_sources));
}

void tst_layers::includesGoToTheSameOrALowerFeature()
{
    expectClean(featureOrderBreaches(m_root, m_sources));
}

void tst_layers::coreAndFormsUseOnlyTheirQtModules()
{
    QtModules qt(QLibraryInfo::path(QLibraryInfo::HeadersPath));
    QVERIFY2(qt.found(), qPrintable("no Qt headers under " + QLibraryInfo::path(QLibraryInfo::HeadersPath)));
    expectClean(foreignQtHeaders(m_sources, qt));
}

void tst_layers::noHeaderCycles()
{
    expectClean(includeCycles(m_root, m_sources, Nodes::HeadersOnly));
}

void tst_layers::noClassCyclesAcrossFolders()
{
    expectClean(includeCycles(m_root, m_sources, Nodes::CppAsItsHeader));
}

void tst_layers::noFileOverTheLimit()
{
    expectClean(longFiles(m_sources, MaxLines));
}

// The checks themselves, on a small tree holding one fault of each kind.
void tst_layers::faultsInATreeAreFound()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = dir.path();
    writeFile(root, "shell/core/A.h", "#pragma once\n#include <QString>\n#include \"shell/ui/B.h\"\n");
    writeFile(root, "shell/core/A.cpp", "#include \"shell/core/A.h\"\n#include <QImage>\n");
    writeFile(root, "shell/ui/B.h", "#pragma once\n#include <QWidget>\n#include \"shell/ui/C.h\"\n");
    writeFile(root, "shell/ui/C.h", "#pragma once\n#include <QWebEngineView>\n#include \"shell/ui/B.h\"\n");
    writeFile(root, "shell/ui/C.cpp", "#include \"shell/ui/C.h\"\n#include \"browser/engine/E.h\"\n"
                                      "#include \"shell/core/A.h\"\n#include \"shell/ui/Gone.h\"\n");
    writeFile(root, "browser/engine/E.h", "#pragma once\n#include <QWebEngineView>\n#include \"shell/ui/B.h\"\n");
    writeFile(root, "browser/Loose.h", "#pragma once\n");
    writeFile(root, "favorites/ui/core/Deep.h", "#pragma once\n");
    writeFile(root, "shell/app/main.cpp", "#include \"browser/engine/E.h\"\n");
    // Within the ui layer: favorites below browser, shell above both.
    writeFile(root, "favorites/ui/F.cpp", "#include \"browser/ui/G.h\"\n#include \"shell/core/A.h\"\n");
    writeFile(root, "browser/ui/G.h", "#pragma once\n#include \"common/ui/H.h\"\n");
    writeFile(root, "common/ui/H.h", "#pragma once\n#include \"shell/ui/B.h\"\n");

    const QList<Source> sources = readTree(root);
    QCOMPARE(sources.size(), 12);
    // Files of four lines, counted as such, against a limit of three.
    QCOMPARE(longFiles(sources, 3), (QStringList{"shell/ui/C.cpp: 4 lines"}));

    const QStringList breaches = featureOrderBreaches(root, sources);
    QCOMPARE(breaches.size(), 2);
    QVERIFY(breaches[0].startsWith("common/ui/H.h:2: #include \"shell/ui/B.h\"  (common reaches up to shell)"));
    QVERIFY(breaches[1].startsWith("favorites/ui/F.cpp:1: #include \"browser/ui/G.h\""));

    QCOMPARE(misplacedFiles(sources).size(), 2);
    QVERIFY(misplacedFiles(sources).join('\n').contains("browser/Loose.h"));
    QVERIFY(misplacedFiles(sources).join('\n').contains("favorites/ui/core/Deep.h"));

    const QStringList up = upwardIncludes(root, sources);
    QCOMPARE(up.size(), 3);
    QVERIFY(up[0].startsWith("shell/core/A.h:3: #include \"shell/ui/B.h\""));
    QVERIFY(up[1].startsWith("shell/ui/C.cpp:2: #include \"browser/engine/E.h\""));
    QVERIFY(up[2].startsWith("shell/ui/C.cpp:4: #include \"shell/ui/Gone.h\""));

    QtModules qt(QLibraryInfo::path(QLibraryInfo::HeadersPath));
    QVERIFY(qt.found());
    const QStringList foreign = foreignQtHeaders(sources, qt);
    QCOMPARE(foreign.size(), 2);
    QVERIFY(foreign[0].startsWith("shell/core/A.cpp:2: #include <QImage>"));
    QVERIFY(foreign[1].startsWith("shell/ui/C.h:2: #include <QWebEngineView>"));

    // Headers: B.h -> C.h -> B.h. With C.cpp standing for C.h, A.h and E.h
    // join them (A.h -> B.h -> C.h -> A.h, C.h -> E.h -> B.h).
    const QStringList headerCycles = includeCycles(root, sources, Nodes::HeadersOnly);
    QCOMPARE(headerCycles.size(), 1);
    QVERIFY(headerCycles[0].startsWith("headers include each other: shell/ui/B.h, shell/ui/C.h\n"));
    QVERIFY(headerCycles[0].contains("shell/ui/C.h:3: #include \"shell/ui/B.h\""));
    QVERIFY(!headerCycles[0].contains("shell/core/A.h"));
    const QStringList classCycles = includeCycles(root, sources, Nodes::CppAsItsHeader);
    QCOMPARE(classCycles.size(), 1);
    QVERIFY(classCycles[0].startsWith(
        "classes include each other: browser/engine/E.h, shell/core/A.h, shell/ui/B.h, shell/ui/C.h"));
    QVERIFY(classCycles[0].contains("shell/ui/C.cpp:3: #include \"shell/core/A.h\""));

    // Two classes of one folder that need each other are one piece.
    writeFile(root, "browser/engine/P.h", "#pragma once\n");
    writeFile(root, "browser/engine/P.cpp", "#include \"browser/engine/P.h\"\n#include \"browser/engine/Q.h\"\n");
    writeFile(root, "browser/engine/Q.h", "#pragma once\n");
    writeFile(root, "browser/engine/Q.cpp", "#include \"browser/engine/Q.h\"\n#include \"browser/engine/P.h\"\n");
    QCOMPARE(includeCycles(root, readTree(root), Nodes::CppAsItsHeader), classCycles);
}

QTEST_GUILESS_MAIN(tst_layers)
#include "tst_layers.moc"
