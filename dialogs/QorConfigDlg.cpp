#include "dialogs/QorConfigDlg.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppSettings.h"
#include "app/Languages.h"
#include "app/StringIds.h"
#include "app/StringTable.h"
#include "dialogs/QtTranslations.h"
#include "dialogs/WindowTitle.h"

namespace {

QString Localized(int id) { return QString::fromStdString(LoadLocalizedString(id)); }

constexpr StringId kMapTextIds[CQorConfigDlg::kMapCount] = {kStrGoogleMap, kStrBaiduMap,
                                                           kStrYandexMap};

}  // namespace

CQorConfigDlg::CQorConfigDlg(QWidget* parent) : QDialog(parent) {
  CreateControls();
  for (const LanguageEntry& language : g_languages)
    m_languageList->addItem(QString::fromUtf8(language.nativeName));
  m_mapList->clear();
  for (int id : kMapTextIds) m_mapList->addItem(Localized(id));
  m_languageList->setCurrentIndex(GetSettings().GetLanguageIndex());
  ApplyTexts();
  SelectStoredMap();
  m_mapChoice = m_mapList->currentIndex();
}

void CQorConfigDlg::CreateControls() {
  auto makeGroup = [this](int groupId, int listId, int applyId, QComboBox*& list) {
    auto* group = new QGroupBox(this);
    list = new QComboBox(group);
    auto* apply = new QPushButton(group);
    auto* row = new QHBoxLayout(group);
    row->addWidget(list, 1);
    row->addWidget(apply);
    m_controls[groupId] = group;
    m_controls[listId] = list;
    m_controls[applyId] = apply;
    return group;
  };
  auto* mapGroup = makeGroup(kIdMapGroup, kIdMapList, kIdMapApply, m_mapList);
  auto* languageGroup = makeGroup(kIdLanguageGroup, kIdLanguageList, kIdLanguageApply, m_languageList);
  connect(static_cast<QPushButton*>(Control(kIdMapApply)), &QPushButton::clicked, this,
          &CQorConfigDlg::ApplyMap);
  connect(static_cast<QPushButton*>(Control(kIdLanguageApply)), &QPushButton::clicked, this,
          &CQorConfigDlg::ApplyLanguage);

  auto* ok = new QPushButton(this);
  auto* cancel = new QPushButton(this);
  ok->setDefault(true);
  m_controls[kIdOk] = ok;
  m_controls[kIdCancel] = cancel;
  connect(ok, &QPushButton::clicked, this, &CQorConfigDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &CQorConfigDlg::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(mapGroup);
  layout->addWidget(languageGroup);
  layout->addLayout(buttons);
  setMinimumWidth(320);
}

QWidget* CQorConfigDlg::Control(int id) const {
  const auto it = m_controls.find(id);
  return it == m_controls.end() ? nullptr : it->second;
}

void CQorConfigDlg::ApplyTexts() {
  setWindowTitle(WindowTitle(kStrConfigTitle));
  static_cast<QPushButton*>(Control(kIdOk))->setText(Localized(kStrOk));
  static_cast<QPushButton*>(Control(kIdCancel))->setText(Localized(kStrCancel));
  static_cast<QPushButton*>(Control(kIdLanguageApply))->setText(Localized(kStrApply));
  static_cast<QPushButton*>(Control(kIdMapApply))->setText(Localized(kStrApply));
  static_cast<QGroupBox*>(Control(kIdMapGroup))->setTitle(Localized(kStrSelectMap));
  static_cast<QGroupBox*>(Control(kIdLanguageGroup))->setTitle(Localized(kStrSelectLanguage));
}

void CQorConfigDlg::SelectStoredMap() {
  const int stored = GetSettings().GetMapProvider();
  m_mapList->setCurrentIndex(stored >= 0 && stored < m_mapList->count() ? stored : 0);
}

void CQorConfigDlg::ApplyMap() {
  const int i = m_mapList->currentIndex();
  const int provider = (i >= 0 && i < kMapCount) ? i : 0;
  m_mapChoice = provider;
  GetSettings().SetMapProvider(provider);
  emit mapProviderChanged(provider);
}

// With no language item selected the language stays as it is.
void CQorConfigDlg::ApplyLanguage() {
  const int i = m_languageList->currentIndex();
  if (i < 0 || i >= kLanguageCount) return;
  GetSettings().SetLanguage(i);
  QtTranslations::Follow(i);
  const int map = m_mapList->currentIndex();
  ApplyTexts();
  m_mapList->setCurrentIndex(map);
  emit languageChanged(i);
}

void CQorConfigDlg::accept() {
  ApplyMap();
  const int i = m_languageList->currentIndex();
  if (i >= 0 && i < kLanguageCount) {
    GetSettings().SetLanguage(i);
    QtTranslations::Follow(i);
    ApplyTexts();
    SelectStoredMap();
    emit languageChanged(i);
  }
  QDialog::accept();
}
