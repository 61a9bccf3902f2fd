#include "map/CefBrowserEventHandler.h"

#include <QFile>
#include <QPointer>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineCertificateError>
#include <QWebEngineSettings>
#include <QWidget>

namespace {
QPointer<CCefBrowserEventHandler> g_browser;

// Qt's own client of the web channel, put into every page before the
// page's scripts run, so a page from a web server (which cannot load
// qrc: files) reaches the map bridge as the built-in pages do.
void AddWebChannelClient(QWebEnginePage* page) {
  QFile file(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
  if (!file.open(QIODevice::ReadOnly)) return;
  QWebEngineScript script;
  script.setName(QStringLiteral("qwebchannel"));
  script.setSourceCode(QString::fromUtf8(file.readAll()));
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setWorldId(QWebEngineScript::MainWorld);
  script.setRunsOnSubFrames(false);
  page->scripts().insert(script);
}
}  // namespace

CCefBrowserEventHandler::CCefBrowserEventHandler(QObject* parent) : QWebEnginePage(parent) {
  settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
  settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  connect(this, &QWebEnginePage::certificateError, this,
          &CCefBrowserEventHandler::OnCertificateError);
  AddWebChannelClient(this);
  if (!g_browser) g_browser = this;
}

CCefBrowserEventHandler::~CCefBrowserEventHandler() = default;

QWebEnginePage* CCefBrowserEventHandler::createWindow(WebWindowType) { return nullptr; }

void CCefBrowserEventHandler::OnCertificateError(const QWebEngineCertificateError& error) {
  QWebEngineCertificateError accepted = error;
  accepted.acceptCertificate();
}

bool CCefBrowserEventHandler::acceptNavigationRequest(const QUrl& url, NavigationType type,
                                                      bool isMainFrame) {
  if (isMainFrame && type == NavigationTypeLinkClicked) return false;
  return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

QWebEnginePage* GetBrowser() { return g_browser.data(); }

void ResizeBrowser(QWidget* mapView, QWidget* browser) {
  if (!mapView || !browser) return;
  browser->setGeometry(kBrowserX, kBrowserY, mapView->width(),
                       mapView->height() + kBrowserExtraHeight);
}
