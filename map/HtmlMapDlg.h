// CHtmlMapDlg: the map view, a QWidget holding a QWebEngineView.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "map/MapPageJournal.h"

class QWebEngineView;
class QWebEngineLoadingInfo;
class CCefBrowserEventHandler;
class CMapBridge;
class QWebChannel;

// Page names of the map providers, by provider index: 0 Google, 1 Baidu,
// 2 Yandex. Any other index shows the first page.
inline constexpr std::array<const char*, 3> g_pageUrls = {"gmap.html", "bmap.html", "ymap.html"};

// Where the built-in pages live (Qt resources).
inline constexpr const char* kBuiltInMapBase = "qrc:/map/";

// The map view: a borderless child widget holding the process's browser.
// The rest of the program reaches the map page only through SetProvider,
// InitMap, MovePos, RunScript and IsAlive, which all report success; with
// no browser they do nothing.
//
// Script calls made while a page is loading are kept, in order, and run as
// one script once the page has loaded, so a route sent right after start-up
// or after a provider switch is not lost. Calls made while the page is
// ready are gathered too and run as one script when control returns to the
// event loop: a route is one call per fix, and every separate script is a
// round trip to the browser process.
//
// What the page shows survives the page: every call is also recorded in a
// journal (see CMapPageJournal), and a page that replaces another one (a
// provider switch, a reload) first gets the calls that rebuild the route,
// the driven part, the drive and the marker. Asking for the page already
// shown does not load it again.
//
// The page reaches the program through Qt WebChannel and one object,
// "vantrel" (CMapBridge): a click on the drive's route emits PointClicked,
// hovering asks the point-info source for its text.
class CHtmlMapDlg : public QWidget {
  Q_OBJECT
 public:
  explicit CHtmlMapDlg(QWidget* parent = nullptr);
  ~CHtmlMapDlg() override;

  // Takes the place of `placeholder` (a child of its parent that only marks
  // the map area): the placeholder is destroyed and the view, grown by 2
  // pixels on every side, is put there on top of its siblings and shown.
  // Creates the browser. False, and nothing done, without a placeholder or
  // when the placeholder has no parent.
  bool CreateInPlace(QWidget* placeholder);
  // The same for the child of `parent` with the object name `placeholderName`.
  bool CreateInPlace(const QString& placeholderName, QWidget* parent);

  // Folder the pages are loaded from; empty means the pages built into the
  // program. Takes effect at the next SetProvider.
  void SetBaseUrl(const QString& base);
  // Full address of the page of `provider` under the current base.
  QUrl PageUrl(int provider) const;

  bool SetProvider(int provider);
  bool InitMap(double latitude, double longitude);
  // Both values are ddmm.mmmm / 100; converted to decimal degrees here. The
  // heading is accepted and not used.
  bool MovePos(double latitude, double longitude, int heading);
  bool RunScript(std::string_view script);
  bool RunScript(const std::string& script) { return RunScript(std::string_view(script)); }
  bool RunScript(const char* script) { return RunScript(std::string_view(script)); }
  bool RunScript(const QString& script);
  // The view exists and has not been destroyed.
  bool IsAlive() const;

  int Provider() const { return m_provider; }
  // True when the requested page has finished loading and calls run at once.
  bool IsPageReady() const { return m_pageReady; }
  // Runs the calls still gathered first, so that anything done through the
  // view itself comes after them.
  QWebEngineView* BrowserView() const;

  // Gives the text the page shows while hovering over drive point `index`.
  void SetPointInfoSource(std::function<QString(int)> source) { m_pointInfo = std::move(source); }

 signals:
  // The page asked for by the last SetProvider has finished loading.
  void PageLoaded(bool ok);
  // The user clicked the drive's route at drive point `index`.
  void PointClicked(int index);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateBrowser();
  void OnLoadingChanged(const QWebEngineLoadingInfo& info);
  void FlushPending();
  void PostFlush();

  QWebEngineView* m_view = nullptr;
  QWebChannel* m_channel = nullptr;
  CMapBridge* m_bridge = nullptr;
  CMapPageJournal m_journal;
  std::function<QString(int)> m_pointInfo;
  bool m_lastLoadOk = false;  // the page last asked for loaded without error
  CCefBrowserEventHandler* m_page = nullptr;
  QString m_baseUrl;
  QUrl m_requestedUrl;
  QStringList m_pending;
  int m_provider = 0;
  bool m_pageReady = false;
  bool m_flushPosted = false;
};
