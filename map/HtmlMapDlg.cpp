#include "map/HtmlMapDlg.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QWebChannel>
#include <QWebEngineLoadingInfo>
#include <QWebEngineView>

#include "catalog/MapScripts.h"
#include "map/CefBrowserEventHandler.h"
#include "map/MapBridge.h"
#include "telemetry/TelemetryUtil.h"

namespace {

// Calls kept while a page loads; beyond this (a page that never finishes
// loading) newer calls are dropped rather than growing without end.
constexpr int kMaxPendingScripts = 200000;

bool IsRightButtonPress(const QEvent* event) {
  if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick &&
      event->type() != QEvent::MouseButtonRelease)
    return false;
  return static_cast<const QMouseEvent*>(event)->button() == Qt::RightButton;
}

}  // namespace

CHtmlMapDlg::CHtmlMapDlg(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_NoMousePropagation);
  setContextMenuPolicy(Qt::NoContextMenu);
}

CHtmlMapDlg::~CHtmlMapDlg() {
  // The page must go before the view that shows it.
  if (m_view) m_view->setPage(nullptr);
  delete m_page;
}

bool CHtmlMapDlg::CreateInPlace(const QString& placeholderName, QWidget* parent) {
  if (!parent) return false;
  return CreateInPlace(parent->findChild<QWidget*>(placeholderName));
}

bool CHtmlMapDlg::CreateInPlace(QWidget* placeholder) {
  if (!placeholder || !placeholder->parentWidget()) return false;
  QWidget* parent = placeholder->parentWidget();
  const QRect area = placeholder->geometry();
  delete placeholder;

  setParent(parent);
  setGeometry(area.adjusted(-2, -2, 2, 2));
  if (!m_view) CreateBrowser();
  raise();
  show();
  return true;
}

void CHtmlMapDlg::CreateBrowser() {
  m_view = new QWebEngineView(this);
  m_view->setContextMenuPolicy(Qt::NoContextMenu);
  m_view->installEventFilter(this);
  m_page = new CCefBrowserEventHandler(nullptr);
  connect(m_page, &QWebEnginePage::loadingChanged, this, &CHtmlMapDlg::OnLoadingChanged);
  m_view->setPage(m_page);
  m_bridge = new CMapBridge([this](int index) { emit PointClicked(index); },
                            [this](int index) { return m_pointInfo ? m_pointInfo(index) : QString(); },
                            this);
  m_channel = new QWebChannel(this);
  m_channel->registerObject(QStringLiteral("vantrel"), m_bridge);
  m_page->setWebChannel(m_channel);
  ResizeBrowser(this, m_view);
}

void CHtmlMapDlg::SetBaseUrl(const QString& base) {
  m_baseUrl = base.trimmed();
  if (!m_baseUrl.isEmpty() && !m_baseUrl.endsWith(u'/')) m_baseUrl += u'/';
}

QUrl CHtmlMapDlg::PageUrl(int provider) const {
  const char* name =
      provider >= 0 && provider < int(g_pageUrls.size()) ? g_pageUrls[provider] : g_pageUrls[0];
  const QString base = m_baseUrl.isEmpty() ? QString::fromLatin1(kBuiltInMapBase) : m_baseUrl;
  return QUrl(base + QString::fromLatin1(name));
}

bool CHtmlMapDlg::SetProvider(int provider) {
  m_provider = provider;
  if (!m_page) return true;
  const QUrl url = PageUrl(provider);
  // The same page already on its way: loading it again would only race
  // the load in progress.
  if (url == m_requestedUrl && !m_pageReady && m_page->isLoading()) return true;
  // The same page shown and working: a reload would only cost the view.
  if (url == m_requestedUrl && m_pageReady && m_lastLoadOk) return true;
  // Calls gathered for the page being left still go to it; the new page
  // starts empty and first gets what the old one showed. A page that never
  // became ready has not run its calls: they go on to the next one.
  if (m_pageReady) {
    FlushPending();
    m_pending = m_journal.Replay();
  }
  m_requestedUrl = url;
  m_pageReady = false;
  m_page->load(url);
  return true;
}

void CHtmlMapDlg::OnLoadingChanged(const QWebEngineLoadingInfo& info) {
  if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
    if (info.url() != m_requestedUrl) return;
    // A reload nobody asked for here (the page's own, a renderer restart)
    // also starts empty.
    if (m_pageReady) m_pending = m_journal.Replay();
    m_pageReady = false;
    return;
  }
  // Only the end of the page last asked for counts: a page that was being
  // replaced may still report its own end afterwards.
  const bool ok = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus;
  // A server may redirect the page: then the page's own record of what was
  // asked for tells whether this is the end of our load.
  const bool ours = info.url() == m_requestedUrl ||
                    (ok && m_page && m_page->requestedUrl() == m_requestedUrl &&
                     m_page->url() == info.url());
  if (!ours || m_pageReady) return;
  m_pageReady = true;
  m_lastLoadOk = ok;
  // A page that failed has no map functions; the kept calls are run anyway
  // (and fail unseen) so they do not pile up.
  FlushPending();
  emit PageLoaded(ok);
}

void CHtmlMapDlg::FlushPending() {
  if (m_pending.isEmpty() || !m_page) return;
  // One script for all kept calls; each call in its own try block, so one
  // failing call does not stop those behind it, as separate runs would not.
  QString script;
  for (const QString& call : m_pending) script += QStringLiteral("try{") + call + QStringLiteral("}catch(e){}\n");
  m_pending.clear();
  m_page->runJavaScript(script);
}

void CHtmlMapDlg::PostFlush() {
  if (m_flushPosted) return;
  m_flushPosted = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        m_flushPosted = false;
        if (m_pageReady) FlushPending();
      },
      Qt::QueuedConnection);
}

QWebEngineView* CHtmlMapDlg::BrowserView() const {
  if (m_pageReady) const_cast<CHtmlMapDlg*>(this)->FlushPending();
  return m_view;
}

bool CHtmlMapDlg::RunScript(const QString& script) {
  if (!m_page) return true;
  m_journal.Record(script);
  if (!m_pageReady) {
    if (m_pending.size() < kMaxPendingScripts) m_pending.append(script);
    return true;
  }
  m_pending.append(script);
  PostFlush();
  return true;
}

bool CHtmlMapDlg::RunScript(std::string_view script) {
  return RunScript(QString::fromUtf8(script.data(), qsizetype(script.size())));
}

bool CHtmlMapDlg::InitMap(double latitude, double longitude) {
  return RunScript(InitMapScript(latitude, longitude));
}

bool CHtmlMapDlg::MovePos(double latitude, double longitude, int /*heading*/) {
  return RunScript(MovPosScript(DdmmToDegrees(latitude), DdmmToDegrees(longitude)));
}

bool CHtmlMapDlg::IsAlive() const { return m_view != nullptr; }

void CHtmlMapDlg::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ResizeBrowser(this, m_view);
}

void CHtmlMapDlg::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  update();
}

// Right clicks on the map do nothing: they are kept from the page (no
// context menu, no right-button handling in the map scripts). The engine
// draws into a child widget of the view that appears later, so every new
// child is watched as well.
bool CHtmlMapDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ChildAdded) {
    QObject* child = static_cast<QChildEvent*>(event)->child();
    if (child && child->isWidgetType()) child->installEventFilter(this);
    return false;
  }
  if (IsRightButtonPress(event)) return true;
  return QWidget::eventFilter(watched, event);
}
