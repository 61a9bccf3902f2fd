#include "map/CefBrowserEventHandler.h"

#include <QPointer>
#include <QWebEngineCertificateError>
#include <QWebEngineSettings>
#include <QWidget>

namespace {
QPointer<CCefBrowserEventHandler> g_browser;
}

CCefBrowserEventHandler::CCefBrowserEventHandler(QObject* parent) : QWebEnginePage(parent) {
  settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
  settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  connect(this, &QWebEnginePage::certificateError, this,
          &CCefBrowserEventHandler::OnCertificateError);
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
