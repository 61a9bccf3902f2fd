// CCefBrowserEventHandler: the QWebEnginePage of the map.
#pragma once

#include <QWebEnginePage>

class QWidget;
class QWebEngineCertificateError;

// The one browser of the process: a web page that
//  - refuses every popup (window.open, target=_blank) without a message,
//  - accepts TLS certificate errors, so a map server with a self-signed
//    certificate still works,
//  - lets the built-in pages (qrc:) load map tiles from the network,
//  - carries Qt's web channel client (qwebchannel.js) into every page,
//  - stays on its map page: a clicked link (an attribution, say) would
//    otherwise replace the map for good, as nothing loads it again,
//  - publishes itself as the process-wide browser returned by GetBrowser
//    for as long as it exists.
// Everything lives on the GUI thread, so the reference needs no lock.
class CCefBrowserEventHandler : public QWebEnginePage {
  Q_OBJECT
 public:
  explicit CCefBrowserEventHandler(QObject* parent = nullptr);
  ~CCefBrowserEventHandler() override;

 protected:
  QWebEnginePage* createWindow(WebWindowType type) override;
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

 private:
  void OnCertificateError(const QWebEngineCertificateError& error);
};

// The process-wide browser page; null before the map view created it and
// after it was destroyed.
QWebEnginePage* GetBrowser();

// Places the browser widget inside its map view: at the fixed offset
// (kBrowserX, kBrowserY), as wide as the view and 20 pixels taller, so
// the page's top strip lies above the visible area and its bottom edge
// meets the view's bottom edge.
inline constexpr int kBrowserX = -1;
inline constexpr int kBrowserY = -20;
inline constexpr int kBrowserExtraHeight = 20;
void ResizeBrowser(QWidget* mapView, QWidget* browser);
