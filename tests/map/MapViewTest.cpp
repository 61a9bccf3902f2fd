// The map view with the real Qt WebEngine and the real map pages. There is
// no network: tile loads fail, which the pages must survive.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>

#include "map/CefBrowserApp.h"
#include "map/CefBrowserEventHandler.h"
#include "map/HtmlMapDlg.h"
#include "map/MapDrive.h"
#include "catalog/DriveTrack.h"
#include "catalog/MapScripts.h"

namespace {

constexpr int kWaitMs = 60000;  // guard against a hang, not a speed target

// Runs `js` in the page and waits for its result.
QVariant Eval(QWebEnginePage* page, const QString& js) {
  QVariant result;
  bool done = false;
  QEventLoop loop;
  page->runJavaScript(js, [&](const QVariant& v) {
    result = v;
    done = true;
    loop.quit();
  });
  QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
  if (!done) loop.exec();
  return result;
}

struct PageState {
  QString page;
  int route = -1;
  int driven = -1;
  QVariant markerLat, markerLng, shownLat, shownLng;
};

// Keeps a picture of the view for a person to look at; checks nothing.
void SaveScreenshot(QWidget* view, const QString& name) {
  QTest::qWait(500);  // let the engine paint the last calls
  const QString dir = QStringLiteral(VANTREL_BINARY_DIR "/screenshots");
  QDir().mkpath(dir);
  view->grab().save(dir + "/map-" + name + ".png");
}

PageState ReadState(QWebEnginePage* page) {
  const QVariantMap m = Eval(page, "__vantrel_state()").toMap();
  PageState s;
  s.page = m.value("page").toString();
  s.route = m.value("route", -1).toInt();
  s.driven = m.value("driven", -1).toInt();
  s.markerLat = m.value("markerLat");
  s.markerLng = m.value("markerLng");
  s.shownLat = m.value("shownLat");
  s.shownLng = m.value("shownLng");
  return s;
}

// A stand-in main window with the "MAP" placeholder the view replaces.
class MapViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetBrowser(), nullptr) << "a browser outlived its map view";
    m_host = std::make_unique<QWidget>();
    m_host->resize(640, 480);
    auto* placeholder = new QLabel("MAP", m_host.get());
    placeholder->setObjectName("MAP");
    placeholder->setGeometry(10, 10, 400, 300);
    m_host->show();
    m_map = new CHtmlMapDlg;
    ASSERT_TRUE(m_map->CreateInPlace("MAP", m_host.get()));
  }

  void TearDown() override {
    delete m_map.data();
    m_host.reset();
    EXPECT_EQ(GetBrowser(), nullptr);
  }

  // Asks for `provider` and waits until that page reports its end.
  bool LoadAndWait(int provider) {
    QSignalSpy spy(m_map.data(), &CHtmlMapDlg::PageLoaded);
    m_map->SetProvider(provider);
    if (!spy.wait(kWaitMs)) return false;
    return spy.takeLast().at(0).toBool();
  }

  // The calls for one loaded recording as the player sends them.
  void SendRecording() {
    m_map->RunScript(kPathDrivedDeleteScript);
    m_map->RunScript(kPathDeleteScript);
    for (int i = 0; i < 5; ++i)
      m_map->RunScript(PathPlotScript(39.90923 + i * 0.001, 116.397428 + i * 0.001));
    m_map->InitMap(0, 0);
    for (int i = 0; i < 3; ++i)
      m_map->RunScript(PathDrivedPlotScript(39.90923 + i * 0.001, 116.397428 + i * 0.001));
    // 3954.5538 / 100 and 11623.84568 / 100: 39.90923, 116.397428 in ddmm.
    m_map->MovePos(39.545538, 116.2384568, 90);
  }

  QWebEnginePage* Page() const { return m_map->BrowserView()->page(); }

  // A drive of 13 fixes, one a second, near Beijing (shifted on the GCJ-02
  // and BD-09 pages); speeds chosen to fall in each bin of both units, no
  // fix between points 10 and 11.
  static DriveTrack TestDrive() {
    const int speeds[] = {10, 10, 45, 45, 75, 75, 95, 95, 130, 130, 130, 20, 20};
    DriveTrack track;
    for (int i = 0; i < 13; ++i) {
      DriveTrackPoint p;
      p.latitude = 39.90 + i * 0.0004;
      p.longitude = 116.39 + i * 0.0004;
      p.driveMs = i * 1000 + (i >= 11 ? 30000 : 0);
      p.piece = i < 6 ? 0 : 1;
      p.clock = 1700000000 + i;
      p.gapBefore = i == 0 || i == 11;
      p.fix.speed = std::uint16_t(speeds[i]);
      p.fix.heading = 22;  // 44 degrees
      track.points.push_back(p);
    }
    return track;
  }

  std::unique_ptr<QWidget> m_host;
  QPointer<CHtmlMapDlg> m_map;
};

TEST_F(MapViewTest, TakesThePlaceOfItsPlaceholderAndSizesTheBrowser) {
  EXPECT_EQ(m_host->findChild<QLabel*>("MAP"), nullptr);
  EXPECT_EQ(m_map->parentWidget(), m_host.get());
  EXPECT_EQ(m_map->geometry(), QRect(8, 8, 404, 304));
  EXPECT_TRUE(m_map->isVisible());
  EXPECT_TRUE(m_map->IsAlive());
  EXPECT_EQ(m_map->BrowserView()->geometry(), QRect(-1, -20, 404, 324));
  m_map->resize(300, 200);
  EXPECT_EQ(m_map->BrowserView()->geometry(), QRect(-1, -20, 300, 220));
  EXPECT_EQ(GetBrowser(), Page());

  CHtmlMapDlg orphan;
  EXPECT_FALSE(orphan.CreateInPlace("NOPE", m_host.get()));
  EXPECT_FALSE(orphan.CreateInPlace(nullptr));
  EXPECT_FALSE(orphan.IsAlive());
  // Without a browser every operation is a quiet success.
  EXPECT_TRUE(orphan.SetProvider(2));
  EXPECT_TRUE(orphan.MovePos(1.3, 2.45, 0));
  EXPECT_TRUE(orphan.RunScript(kPathDeleteScript));
  EXPECT_TRUE(orphan.RunScript("path_delete()"));
}

TEST_F(MapViewTest, PageAddresses) {
  EXPECT_EQ(m_map->PageUrl(0).toString(), "qrc:/map/gmap.html");
  EXPECT_EQ(m_map->PageUrl(1).toString(), "qrc:/map/bmap.html");
  EXPECT_EQ(m_map->PageUrl(2).toString(), "qrc:/map/ymap.html");
  EXPECT_EQ(m_map->PageUrl(7).toString(), "qrc:/map/gmap.html");
  EXPECT_EQ(m_map->PageUrl(-1).toString(), "qrc:/map/gmap.html");
  m_map->SetBaseUrl("http://maps.example/zel");
  EXPECT_EQ(m_map->PageUrl(1).toString(), "http://maps.example/zel/bmap.html");
  m_map->SetBaseUrl("");
  EXPECT_EQ(m_map->PageUrl(2).toString(), "qrc:/map/ymap.html");
}

// Every page receives the whole sequence before it has loaded; nothing may
// be lost, and each page draws in its own datum.
TEST_F(MapViewTest, EachPageKeepsCallsMadeWhileLoading) {
  const char* names[] = {"gmap", "bmap", "ymap"};
  for (int provider = 0; provider < 3; ++provider) {
    SCOPED_TRACE(names[provider]);
    QSignalSpy spy(m_map.data(), &CHtmlMapDlg::PageLoaded);
    m_map->SetProvider(provider);
    EXPECT_FALSE(m_map->IsPageReady());
    SendRecording();
    ASSERT_TRUE(spy.wait(kWaitMs));
    EXPECT_TRUE(spy.takeLast().at(0).toBool());
    EXPECT_EQ(m_map->Provider(), provider);

    PageState s = ReadState(Page());
    EXPECT_EQ(s.page, names[provider]);
    EXPECT_EQ(s.route, 5);
    EXPECT_EQ(s.driven, 3);
    EXPECT_NEAR(s.markerLat.toDouble(), 39.90923, 1e-6);
    EXPECT_NEAR(s.markerLng.toDouble(), 116.397428, 1e-6);
    // Where the marker is drawn: shifted onto GCJ-02 or BD-09 tiles in
    // China, unchanged on the Yandex page.
    const double shownLat[] = {39.910634, 39.916973, 39.90923};
    const double shownLng[] = {116.403672, 116.410044, 116.397428};
    EXPECT_NEAR(s.shownLat.toDouble(), shownLat[provider], 1e-6);
    EXPECT_NEAR(s.shownLng.toDouble(), shownLng[provider], 1e-6);
    SaveScreenshot(m_map.data(), names[provider]);

    // Once loaded, calls run at once; a redraw of the driven route replaces it.
    m_map->RunScript(kPathDrivedDeleteScript);
    m_map->RunScript(PathDrivedPlotScript(48.8584, 2.2945));
    m_map->MovePos(48.515024, 2.17702, 0);  // stored 4851.5024 / 217.702, divided by 100
    s = ReadState(Page());
    EXPECT_EQ(s.route, 5);
    EXPECT_EQ(s.driven, 1);
    EXPECT_NEAR(s.markerLat.toDouble(), 48.858373, 1e-6);
    EXPECT_NEAR(s.markerLng.toDouble(), 2.295033, 1e-6);
  }
}

// A provider switch and a Configuration OK (the same provider again) keep
// what the map showed: the new page gets the route, the driven parts, the
// drive and the marker again; the unchanged provider is not reloaded.
TEST_F(MapViewTest, ProviderSwitchAndConfigurationOkKeepWhatTheMapShows) {
  CMapDrive drive;
  drive.SetMap(m_map);
  ASSERT_TRUE(LoadAndWait(0));
  SendRecording();
  drive.Show(TestDrive());
  drive.SetPosition(4000);
  const PageState before = ReadState(Page());
  ASSERT_EQ(before.route, 5);
  ASSERT_EQ(Eval(Page(), "__vantrel_state().drivePoints").toInt(), 13);

  ASSERT_TRUE(LoadAndWait(1));
  EXPECT_EQ(Page()->url().toString(), "qrc:/map/bmap.html");
  PageState s = ReadState(Page());
  EXPECT_EQ(s.page, "bmap");
  EXPECT_EQ(s.route, before.route);
  EXPECT_EQ(s.driven, before.driven);
  EXPECT_EQ(Eval(Page(), "__vantrel_state().drivePoints").toInt(), 13);
  EXPECT_EQ(Eval(Page(), "__vantrel_state().driveShown").toInt(), 4);
  EXPECT_EQ(s.markerLat, before.markerLat);

  // Configuration OK with the provider unchanged: no new page.
  Eval(Page(), "window.__sameDocument = true");
  QSignalSpy spy(m_map.data(), &CHtmlMapDlg::PageLoaded);
  m_map->SetProvider(1);
  EXPECT_FALSE(spy.wait(1500));
  EXPECT_TRUE(Eval(Page(), "window.__sameDocument === true").toBool());
  s = ReadState(Page());
  EXPECT_EQ(s.route, before.route);
  EXPECT_EQ(s.driven, before.driven);
}

// The drive's events are icons of their kind, drawn by the page itself,
// at their points of the route and titled with the kind, clock time and
// peak. A new page gets them again with the route; the next drive's route
// takes them away.
TEST_F(MapViewTest, DriveEventIconsPerKindSurviveAProviderSwitch) {
  using K = DrivingEventKind;
  CMapDrive drive;
  drive.SetMap(m_map);
  ASSERT_TRUE(LoadAndWait(0));
  DriveTrack track = TestDrive();
  const K kinds[] = {K::kBraking, K::kBraking, K::kAcceleration, K::kCornering, K::kImpact, K::kHarsh};
  for (int i = 0; i < 6; ++i) {
    const DriveTrackPoint& p = track.points[std::size_t(2 * i)];
    track.events.push_back({{kinds[i], 0, 0.5 + i / 10.0}, 2 * i, p.driveMs, i < 5 ? p.clock : 0});
  }
  drive.Show(track);
  m_map->InitMap(0, 0);
  const auto iconsPerKind = [this] {
    QList<int> counts;
    for (const QVariant& n : Eval(Page(), "['braking', 'acceleration', 'cornering', 'impact', 'harsh'].map("
                                          "k => document.querySelectorAll('.vantrel-event-' + k).length)")
                                 .toList())
      counts << n.toInt();
    return counts;
  };
  const QStringList titles = {"braking · 22:13:20 · 0.50 G",  "braking · 22:13:22 · 0.60 G",
                              "acceleration · 22:13:24 · 0.70 G", "cornering · 22:13:26 · 0.80 G",
                              "impact · 22:13:28 · 0.90 G",   "harsh · 1.00 G"};
  for (int provider : {0, 2}) {
    SCOPED_TRACE(provider);
    if (provider != m_map->Provider()) ASSERT_TRUE(LoadAndWait(provider));
    EXPECT_EQ(iconsPerKind(), (QList<int>{2, 1, 1, 1, 1}));
    EXPECT_EQ(Eval(Page(), "__vantrel_state().events").toStringList(), titles);
    // Each icon is centred on its point of the route, and its picture is
    // the page's own (no image to fetch).
    const QVariantList icons = Eval(Page(),
        "(() => { const m = document.getElementById('map').getBoundingClientRect();"
        "  return Array.from(document.querySelectorAll('.vantrel-event')).map(el => {"
        "    const r = el.getBoundingClientRect();"
        "    return [r.left + r.width / 2 - m.left, r.top + r.height / 2 - m.top,"
        "            getComputedStyle(el).backgroundImage.startsWith('url(\"data:image/svg+xml')]; }); })()")
        .toList();
    ASSERT_EQ(icons.size(), 6);
    for (int i = 0; i < 6; ++i) {
      const QVariantList icon = icons[i].toList();
      const QVariantMap point = Eval(Page(), QString("__vantrel_point(%1)").arg(2 * i)).toMap();
      EXPECT_NEAR(icon[0].toDouble(), point.value("x").toDouble(), 1.5) << i;
      EXPECT_NEAR(icon[1].toDouble(), point.value("y").toDouble(), 1.5) << i;
      EXPECT_TRUE(icon[2].toBool()) << i;
    }
  }
  // Hovering an icon tells its kind, time and peak; a click on it goes to
  // its point, as a click on the route does.
  m_map->SetPointInfoSource([&drive](int index) { return drive.PointInfo(index); });
  QTRY_VERIFY_WITH_TIMEOUT(Eval(Page(), "__vantrel_state().bridge").toBool(), kWaitMs);
  QSignalSpy clicked(m_map.data(), &CHtmlMapDlg::PointClicked);
  QWidget* surface = m_map->BrowserView()->focusProxy();
  ASSERT_NE(surface, nullptr);
  const QVariantMap cornering = Eval(Page(), "__vantrel_point(6)").toMap();
  const QPoint at(cornering.value("x").toInt(), cornering.value("y").toInt());
  QTest::mouseMove(surface, at);
  QTRY_COMPARE_WITH_TIMEOUT(
      Eval(Page(), "(document.querySelector('.vantrel-event-tip') || {}).textContent").toString(),
      titles[3], 5000);
  QTest::mouseClick(surface, Qt::LeftButton, {}, at);
  QTRY_COMPARE_WITH_TIMEOUT(clicked.size(), 1, 5000);
  EXPECT_EQ(clicked.first().at(0).toInt(), 6);
  SaveScreenshot(m_map.data(), "events");
  drive.Show(TestDrive());
  EXPECT_EQ(iconsPerKind(), (QList<int>{0, 0, 0, 0, 0}));
}

TEST_F(MapViewTest, SwitchingAgainBeforeTheFirstPageLoadedKeepsTheCalls) {
  m_map->SetProvider(0);
  m_map->RunScript(PathPlotScript(10, 10));
  QSignalSpy spy(m_map.data(), &CHtmlMapDlg::PageLoaded);
  m_map->SetProvider(2);
  m_map->RunScript(PathPlotScript(11, 11));
  ASSERT_TRUE(spy.wait(kWaitMs));
  // Let a late report of the abandoned page pass, if any comes.
  QTest::qWait(200);
  const PageState s = ReadState(Page());
  EXPECT_EQ(s.page, "ymap");
  EXPECT_EQ(s.route, 2);
}

// The map switched off hides the view; the page still loads, takes the
// route calls, and the browser fits the view again when it is shown.
TEST_F(MapViewTest, HiddenViewKeepsWorking) {
  m_map->hide();
  m_map->SetProvider(1);
  SendRecording();
  QSignalSpy spy(m_map.data(), &CHtmlMapDlg::PageLoaded);
  ASSERT_TRUE(spy.wait(kWaitMs));
  const PageState s = ReadState(Page());
  EXPECT_EQ(s.route, 5);
  EXPECT_EQ(s.driven, 3);
  m_map->setGeometry(0, 0, 320, 240);
  m_map->show();
  EXPECT_EQ(m_map->BrowserView()->geometry(), QRect(-1, -20, 320, 260));
}

TEST_F(MapViewTest, CoordinateConversionsInThePage) {
  ASSERT_TRUE(LoadAndWait(1));
  const QVariantList gcj = Eval(Page(), "VantrelCoords.wgs84ToGcj02(39.90923, 116.397428)").toList();
  ASSERT_EQ(gcj.size(), 2);
  EXPECT_NEAR(gcj[0].toDouble(), 39.910634, 1e-6);
  EXPECT_NEAR(gcj[1].toDouble(), 116.403672, 1e-6);
  const QVariantList bd = Eval(Page(), "VantrelCoords.gcj02ToBd09(39.910634, 116.403672)").toList();
  ASSERT_EQ(bd.size(), 2);
  EXPECT_NEAR(bd[0].toDouble(), 39.916973, 1e-6);
  EXPECT_NEAR(bd[1].toDouble(), 116.410044, 1e-6);
  const QVariantList paris = Eval(Page(), "VantrelCoords.wgs84ToBd09(48.8584, 2.2945)").toList();
  ASSERT_EQ(paris.size(), 2);
  EXPECT_DOUBLE_EQ(paris[0].toDouble(), 48.8584);
  EXPECT_DOUBLE_EQ(paris[1].toDouble(), 2.2945);
}

TEST_F(MapViewTest, PopupsAndLinksAreRefused) {
  ASSERT_TRUE(LoadAndWait(0));
  const int windows = QApplication::topLevelWidgets().size();
  EXPECT_EQ(Eval(Page(), "window.open('about:blank', '_blank') === null").toBool(), true);
  EXPECT_EQ(Eval(Page(), "typeof movpos").toString(), "function");
  QTest::qWait(100);
  EXPECT_EQ(QApplication::topLevelWidgets().size(), windows);
  EXPECT_EQ(GetBrowser(), Page());

  // A clicked link (the attribution, say) does not take the map away.
  Eval(Page(),
       "var a = document.createElement('a'); a.href = 'http://127.0.0.1:9/away.html';"
       "document.body.appendChild(a); a.click();");
  QTest::qWait(300);
  EXPECT_TRUE(m_map->IsPageReady());
  EXPECT_EQ(Page()->url().toString(), "qrc:/map/gmap.html");
  EXPECT_EQ(Eval(Page(), "typeof movpos").toString(), "function");
}

// Right clicks never reach the page; left clicks do (so the probe works).
TEST_F(MapViewTest, RightClicksDoNothing) {
  ASSERT_TRUE(LoadAndWait(0));
  Eval(Page(),
       "window.__downs = [0, 0, 0];"
       "document.addEventListener('mousedown', e => window.__downs[e.button]++, true);"
       "document.addEventListener('contextmenu', e => window.__downs[2] += 100, true);");
  QWidget* surface = m_map->BrowserView()->focusProxy();
  ASSERT_NE(surface, nullptr);
  const QPoint at(100, 100);
  QTest::mouseClick(surface, Qt::RightButton, {}, at);
  QTest::mouseDClick(surface, Qt::RightButton, {}, at);
  QTest::mouseClick(surface, Qt::LeftButton, {}, at);
  QTRY_COMPARE_WITH_TIMEOUT(Eval(Page(), "window.__downs[0]").toInt(), 1, kWaitMs);
  EXPECT_EQ(Eval(Page(), "window.__downs[2]").toInt(), 0);
}

// A web server as the base address: the same pages served from a folder
// (here file://) behave as the built-in ones.
TEST_F(MapViewTest, PagesFromAnotherBaseAddress) {
  m_map->SetBaseUrl(QUrl::fromLocalFile(VANTREL_SOURCE_DIR "/resources/map").toString());
  m_map->SetProvider(2);
  SendRecording();
  QSignalSpy spy(m_map.data(), &CHtmlMapDlg::PageLoaded);
  ASSERT_TRUE(spy.wait(kWaitMs));
  const PageState s = ReadState(Page());
  EXPECT_EQ(s.page, "ymap");
  EXPECT_EQ(s.route, 5);
  EXPECT_EQ(s.driven, 3);
}

// A map server with a self-signed certificate still serves the pages.
TEST_F(MapViewTest, CertificateErrorsAreAccepted) {
  const QString python = QStandardPaths::findExecutable("python3");
  const QString openssl = QStandardPaths::findExecutable("openssl");
  if (python.isEmpty() || openssl.isEmpty()) GTEST_SKIP() << "needs python3 and openssl";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString cert = dir.filePath("cert.pem"), key = dir.filePath("key.pem");
  ASSERT_EQ(QProcess::execute(openssl, {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                                        key, "-out", cert, "-days", "2", "-subj", "/CN=vantrel.test"}),
            0);
  const char* server =
      "import functools, http.server, ssl, sys\n"
      "class H(http.server.SimpleHTTPRequestHandler):\n"
      "    def log_message(self, *a): pass\n"
      "h = functools.partial(H, directory=sys.argv[1])\n"
      "s = http.server.ThreadingHTTPServer(('127.0.0.1', 0), h)\n"
      "c = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER); c.load_cert_chain(sys.argv[2], sys.argv[3])\n"
      "s.socket = c.wrap_socket(s.socket, server_side=True)\n"
      "print(s.server_address[1], flush=True)\n"
      "s.serve_forever()\n";
  QProcess proc;
  proc.start(python, {"-c", server, VANTREL_SOURCE_DIR "/resources/map", cert, key});
  ASSERT_TRUE(proc.waitForReadyRead(kWaitMs));
  const int port = proc.readLine().trimmed().toInt();
  ASSERT_GT(port, 0);

  m_map->SetBaseUrl(QString("https://127.0.0.1:%1/").arg(port));
  QSignalSpy spy(m_map.data(), &CHtmlMapDlg::PageLoaded);
  m_map->SetProvider(0);
  SendRecording();
  ASSERT_TRUE(spy.wait(kWaitMs));
  EXPECT_TRUE(spy.takeLast().at(0).toBool());
  const PageState s = ReadState(Page());
  EXPECT_EQ(s.page, "gmap");
  EXPECT_EQ(s.route, 5);
  proc.kill();
  proc.waitForFinished();
}

// An unreachable server ends the load with a failure; kept calls do not
// pile up and later calls still succeed quietly.
TEST_F(MapViewTest, UnreachableServer) {
  m_map->SetBaseUrl("http://127.0.0.1:9/maps/");
  QSignalSpy spy(m_map.data(), &CHtmlMapDlg::PageLoaded);
  m_map->SetProvider(0);
  SendRecording();
  ASSERT_TRUE(spy.wait(kWaitMs));
  EXPECT_FALSE(spy.takeLast().at(0).toBool());
  EXPECT_TRUE(m_map->IsPageReady());
  EXPECT_TRUE(m_map->MovePos(1.3, 2.45, 0));
  EXPECT_EQ(Eval(Page(), "typeof movpos").toString(), "undefined");
}

// The tests below run on each of the three pages.
class MapPageTest : public MapViewTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    MapViewTest::SetUp();
    m_drive.SetMap(m_map);
    m_map->SetPointInfoSource([this](int index) { return m_drive.PointInfo(index); });
  }
  QString Name() const { return QString(g_pageUrls[GetParam()]).chopped(5); }
  QVariant State(const char* key) { return Eval(Page(), QString("__vantrel_state().") + key); }

  CMapDrive m_drive;
};

// The drawn lines' colours follow the speed bins of the unit shown (the
// segment from a point to the next has the first one's speed); the line
// breaks where there was no fix.
TEST_P(MapPageTest, RouteColoursFollowTheSpeedBins) {
  ASSERT_TRUE(LoadAndWait(GetParam()));
  m_drive.Show(TestDrive());
  m_map->InitMap(0, 0);
  const QStringList colours = {"#2c7bb6", "#1a9850", "#e6c229", "#f07c1b", "#d7191c"};
  struct Case {
    bool mph;
    QList<int> bins;
    const char* unit;
  };
  const Case cases[] = {{false, {0, 1, 2, 3, 4, 0}, "km/h"},
                        {true, {0, 1, 2, 4, 0}, "mph"},
                        {false, {0, 1, 2, 3, 4, 0}, "km/h"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.unit);
    m_drive.SetMph(c.mph);
    const QVariantList strokes =
        Eval(Page(), "Array.from(document.querySelectorAll('path.vantrel-speed'))"
                     ".map(p => p.getAttribute('stroke'))").toList();
    QStringList expected;
    for (int bin : c.bins) expected << colours[bin];
    QStringList drawn;
    for (const QVariant& v : strokes) drawn << v.toString();
    EXPECT_EQ(drawn, expected);
    EXPECT_TRUE(State("legend").toString().startsWith(c.unit));
  }
  // Playing the second recording: its lines are drawn in full, the
  // first's faint; the colours stay.
  m_drive.SetPosition(7000);
  const QVariantList opacity =
      Eval(Page(), "Array.from(document.querySelectorAll('path.vantrel-speed'))"
                   ".map(p => p.getAttribute('stroke-opacity'))").toList();
  ASSERT_GE(opacity.size(), 2);
  EXPECT_LT(opacity.first().toDouble(), 1.0);
  EXPECT_EQ(opacity.last().toDouble(), 1.0);
  EXPECT_EQ(State("heading").toInt(), 44);
  SaveScreenshot(m_map.data(), "drive-" + Name());
}

// A click near the route asks the player to go to the nearest point;
// hovering shows the clock time and speed there. Clicks away from the
// route do nothing.
TEST_P(MapPageTest, ClickOnTheRouteSeeksToTheNearestPoint) {
  ASSERT_TRUE(LoadAndWait(GetParam()));
  m_drive.Show(TestDrive());
  m_map->InitMap(0, 0);
  QTRY_VERIFY_WITH_TIMEOUT(State("bridge").toBool(), kWaitMs);
  QSignalSpy clicked(m_map.data(), &CHtmlMapDlg::PointClicked);
  QWidget* surface = m_map->BrowserView()->focusProxy();
  ASSERT_NE(surface, nullptr);
  for (int target : {3, 6, 9}) {
    SCOPED_TRACE(target);
    const QVariantMap at = Eval(Page(), QString("__vantrel_point(%1)").arg(target)).toMap();
    const QPoint p(at.value("x").toInt() + 3, at.value("y").toInt() - 2);
    QTest::mouseMove(surface, p);
    QTRY_COMPARE_WITH_TIMEOUT(State("hover").toString(), m_drive.PointInfo(target), 5000);
    QTest::mouseClick(surface, Qt::LeftButton, {}, p);
    QTRY_COMPARE_WITH_TIMEOUT(clicked.size(), 1, 5000);
    EXPECT_EQ(clicked.takeFirst().at(0).toInt(), target);
  }
  EXPECT_EQ(m_drive.DriveMsOf(9), 9000);
  EXPECT_EQ(m_drive.PointInfo(9), "22:13:29 · 130 km/h");
  // Far from the route.
  QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(surface->width() - 100, 40));
  QTest::qWait(300);
  EXPECT_EQ(clicked.size(), 0);
}

// Five seconds of play, a time event every 100 ms as the player sends
// them: the driven part ends where the marker is drawn.
TEST_P(MapPageTest, DrivenPartEndsAtTheMarkerAfterFiveSecondsOfPlay) {
  ASSERT_TRUE(LoadAndWait(GetParam()));
  const DriveTrack track = TestDrive();
  m_drive.Show(track);
  m_map->InitMap(0, 0);
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 5000) {
    const std::int64_t ms = clock.elapsed();
    m_drive.SetPosition(ms);
    const DriveTrackPoint& p = track.points[std::size_t(track.PointAt(ms))];
    m_map->RunScript(MovPosScript(p.latitude, p.longitude));
    QTest::qWait(100);
  }
  QTest::qWait(50);
  EXPECT_EQ(State("driveShown").toInt(), 4);
  const QVariantMap s = Eval(Page(), "__vantrel_state()").toMap();
  EXPECT_NEAR(s.value("drivenDrawnLat").toDouble(), s.value("shownLat").toDouble(), 1e-9);
  EXPECT_NEAR(s.value("drivenDrawnLng").toDouble(), s.value("shownLng").toDouble(), 1e-9);
  EXPECT_NEAR(s.value("drivenEndLat").toDouble(), track.points[4].latitude, 1e-9);
}

// No network here: every tile fails. The page says so, drops the map
// service's credit, and the route and marker stay.
TEST_P(MapPageTest, OfflineNoteWhenTilesFail) {
  ASSERT_TRUE(LoadAndWait(GetParam()));
  m_drive.Show(TestDrive());
  m_drive.SetPosition(3000);
  QTRY_VERIFY_WITH_TIMEOUT(State("offline").toBool(), kWaitMs);
  EXPECT_EQ(Eval(Page(), "getComputedStyle(document.querySelector('.vantrel-offline-note')).display")
                .toString(),
            "block");
  EXPECT_EQ(Eval(Page(), "document.querySelector('.vantrel-offline-note').textContent").toString(),
            "map tiles unavailable");
  EXPECT_EQ(Eval(Page(), "getComputedStyle(document.querySelector('.leaflet-control-attribution'))"
                         ".display").toString(),
            "none");
  EXPECT_EQ(State("drivePoints").toInt(), 13);
  EXPECT_EQ(State("driveShown").toInt(), 3);
}

INSTANTIATE_TEST_SUITE_P(Pages, MapPageTest, ::testing::Values(0, 1, 2),
                         [](const auto& info) { return std::string(g_pageUrls[info.param]).substr(0, 4); });

// The page reaches exactly one object with exactly two calls of its own;
// what every QObject carries is inert: deleteLater from the page does not
// take the bridge away.
TEST_F(MapViewTest, TheChannelOffersTheTwoCallsOnly) {
  ASSERT_TRUE(LoadAndWait(0));
  QSignalSpy clicked(m_map.data(), &CHtmlMapDlg::PointClicked);
  Eval(Page(),
       "new QWebChannel(qt.webChannelTransport, function (ch) {"
       "  window.__objects = Object.keys(ch.objects);"
       "  var o = window.__bridge = ch.objects.vantrel;"
       "  var inherited = ['objectName', 'objectNameChanged', 'destroyed', 'deleteLater',"
       "                   'unwrapQObject', 'unwrapProperties', 'propertyUpdate', 'signalEmitted'];"
       "  var names = Object.keys(o).map(k => k.replace(/\\(.*$/, ''));"  // "f(int)" -> "f"
       "  window.__members = [...new Set(names)].filter(k => !k.startsWith('__') &&"
       "                                                   !inherited.includes(k)).sort();"
       "});");
  QTRY_VERIFY_WITH_TIMEOUT(Eval(Page(), "Array.isArray(window.__members)").toBool(), kWaitMs);
  EXPECT_EQ(Eval(Page(), "window.__objects").toStringList(), QStringList{"vantrel"});
  EXPECT_EQ(Eval(Page(), "window.__members").toStringList(),
            (QStringList{"pointInfo", "seekToPoint"}));
  Eval(Page(), "if (__bridge.deleteLater) __bridge.deleteLater();");
  QTest::qWait(300);
  Eval(Page(), "__bridge.seekToPoint(5)");
  QTRY_COMPARE_WITH_TIMEOUT(clicked.size(), 1, kWaitMs);
  EXPECT_EQ(clicked.first().at(0).toInt(), 5);
}

}  // namespace

int main(int argc, char** argv) {
  CCefBrowserApp::PrepareEngine();
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
