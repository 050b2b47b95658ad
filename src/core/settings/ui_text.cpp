// SPDX-License-Identifier: GPL-3.0-or-later
// The text columns. Each row names its role so that the order is checked at
// compile time against TextId.
#include "core/settings/ui_text.h"

#include <cstddef>
#include <iterator>

namespace hm {
namespace {

struct TextRow {
  TextId id;
  const char* english;
  const char* simplified;
  const char* traditional;
};

// Placeholder address of the web-address link, the same in every language.
constexpr const char* kWebAddress = "www.example.com";

constexpr TextRow kTexts[] = {
    {TextId::BasicSettings, "Basic Settings", "基本设置", "基本設定"},
    {TextId::AdvancedSettings, "Advanced Settings", "高级设置", "進階設定"},
    {TextId::Ok, "OK", "确定", "確定"},
    {TextId::Apply, "Apply", "应用", "套用"},
    {TextId::Cancel, "Cancel", "取消", "取消"},
    {TextId::KeySetting, "Key Setting", "按键设置", "按鍵設定"},
    {TextId::ReportRateSetting, "Report Rate Setting", "回报率设置", "回報率設定"},
    {TextId::DpiSetting, "DPI Setting", "DPI设置", "DPI設定"},
    {TextId::DefaultBasic, "Default", "按键恢复", "按鍵恢復"},
    {TextId::WebAddress, kWebAddress, kWebAddress, kWebAddress},

    {TextId::LeftClick, "Left Click", "左键", "左鍵"},
    {TextId::RightClick, "Right Click", "右键", "右鍵"},
    {TextId::MidClick, "Mid Click", "中键", "中鍵"},
    {TextId::Forward, "Forward", "前进", "前進"},
    {TextId::Backward, "Backward", "后退", "後退"},
    {TextId::TripleClick, "Triple-click", "三连击", "三連擊"},
    {TextId::DpiSwitch, "DPI Switch", "DPI切换", "DPI切換"},
    {TextId::Shift, "Shift", "Shift", "Shift"},
    {TextId::RgbOnOff, "RGB On/Off", "RGB开/关", "RGB開/關"},
    {TextId::Windows, "Windows", "Windows", "Windows"},
    {TextId::Multimedia, "Multimedia", "多媒体", "多媒體"},
    {TextId::FireKey, "Fire Key", "火力键", "火力鍵"},
    {TextId::SingleKey, "Single Key", "单键", "單鍵"},
    {TextId::ComboKey, "Combo Key", "组合键", "複合鍵"},
    {TextId::MacroKey, "Macro Key", "宏", "巨集"},
    {TextId::KeyOff, "Key Off", "按键关闭", "按鍵關閉"},
    {TextId::LeftKeyMustBeSelected, "Left key must be selected!", "必须选择一个左键！", "必須選擇一個左鍵！"},

    {TextId::RgbEffect, "RGB Effect", "RGB显示特效", "RGB顯示特效"},
    {TextId::Mode, "Mode", "模式", "模式"},
    {TextId::Parameter, "Parameter", "参数", "參數"},
    {TextId::LoopColorSetting, "Loop Color Setting", "循环颜色设置", "循環顏色設定"},
    {TextId::DpiSelfColorLedSetting, "DPI Self-Color LED Setting ", "DPI自定义颜色LED设置",
     "DPI自訂顏色LED設定"},
    {TextId::OffMode, "Off Mode", "关闭模式", "關閉模式"},
    {TextId::StandardMode, "Standard Mode", "标准模式", "標準模式"},
    {TextId::RespirationMode, "Respiration Mode", "呼吸模式", "呼吸模式"},
    {TextId::NeonMode, "Neon Mode", "霓虹模式", "霓虹模式"},

    {TextId::Exit, "Exit", "退出", "結束"},
    {TextId::ReportRate1000, "Switch report rate into 1000HZ", "回报率切换到1000HZ", "回報率切換到1000HZ"},
    {TextId::ReportRate500, "Switch report rate into 500HZ", "回报率切换到500HZ", "回報率切換到500HZ"},
    {TextId::ReportRate250, "Switch report rate into 250HZ", "回报率切换到250HZ", "回報率切換到250HZ"},
    {TextId::ReportRate125, "Switch report rate into 125HZ", "回报率切换到125HZ", "回報率切換到125HZ"},
    {TextId::DpiStage1, "Switch DPI into the first stage ", "DPI切换到第一段", "DPI切換到第一段"},
    {TextId::DpiStage2, "Switch DPI into the second stage ", "DPI切换到第二段", "DPI切換到第二段"},
    {TextId::DpiStage3, "Switch DPI into the third stage ", "DPI切换到第三段", "DPI切換到第三段"},
    {TextId::DpiStage4, "Switch DPI into the fourth stage ", "DPI切换到第四段", "DPI切換到第四段"},
    {TextId::KeyMatrix1, "Switch to key matrix 1", "切换到按键组1", "切換到按鍵群組1"},
    {TextId::KeyMatrix2, "Switch to key matrix 2", "切换到按键组2", "切換到按鍵群組2"},
    {TextId::MacroKeySwitch, "Switch to macro key", "切换到宏", "切換到巨集"},
    {TextId::MouseNotDetected, "The system did not detect the gaming mouse!", "系统没有检测到游戏鼠标！",
     "系統沒有檢測到遊戲滑鼠！"},

    {TextId::MouseSpeed, "Mouse Speed", "鼠标速度", "滑鼠速度"},
    {TextId::ScrollingSpeed, "Scrolling Speed", "滚轮速度", "滾輪速度"},
    {TextId::DoubleClickSpeed, "Double-Click Speed", "双击速度", "雙擊速度"},
    {TextId::EnhancePointerPrecision, "Enhance Pointer Precision", "提高指针精确度", "提高指標精確度"},
    {TextId::ScrollOneScreen, "Scroll One Screen", "一次滚动一个屏幕", "一次捲動一個螢幕"},
    {TextId::DefaultAdvanced, "Default", "恢复默认", "恢復默認"},
    {TextId::MacroSetting, "Macro Setting", "宏设置", "巨集設定"},
    {TextId::SelectMacro, "Select Macro", "选择宏", "選擇巨集"},
    {TextId::KeyPressSequence, "Key Press Sequence", "按键序列", "按鍵序列"},
    {TextId::RecordOption, "Record Option", "录制选项", "錄製選項"},
    {TextId::MacroName, "Macro Name", "宏名称", "巨集名稱"},
    {TextId::StartRecording, "Start Recording", "开始录制", "開始錄製"},
    {TextId::StopRecording, "Stop Recording", "停止录制", "停止錄製"},
    {TextId::LoopTimes, "Loop Times", "循环次数", "循環次數"},
    {TextId::InsertMouseEvent, "Insert A Mouse Event", "插入鼠标事件", "插入滑鼠事件"},
    {TextId::New, "New", "新建", "新增"},
    {TextId::Delete, "Delete", "删除", "刪除"},
    {TextId::Confirm, "Confirm", "确认", "確認"},
    {TextId::MacroNameBlank, "Macro name is blank", "宏名称为空", "巨集名稱為空"},
    {TextId::MacroNameExists, "Macro name already exists", "宏名称已存在", "巨集名稱已存在"},
    {TextId::PressCtrlBreak, "Press Ctrl+Break key to stop recording", "按Ctrl+Break可以停止录制",
     "按Ctrl+Break可以停止錄製"},
    {TextId::NotRecording, "It doesn\u2019t start recording, unnecessary to press Stop key!",
     "没有开始录制,点击停止录制按钮没有意义！", "沒有開始錄製，點擊停止錄製按鈕沒有意義！"},

    {TextId::SettingSection, "Setting-EN", "Setting-CHS", "Setting-CHT"},
};

constexpr bool rowsInRoleOrder() {
  int i = 0;
  for (const TextRow& row : kTexts)
    if (static_cast<int>(row.id) != i++) return false;
  return i == kTextCount;
}
static_assert(rowsInRoleOrder(), "kTexts must list every TextId once, in enum order");

// Function list index -> role.
constexpr TextId kFunctionRoles[16] = {
    TextId::LeftClick, TextId::RightClick,  TextId::MidClick,  TextId::Forward,
    TextId::Backward,  TextId::TripleClick, TextId::DpiSwitch, TextId::RgbOnOff,
    TextId::Windows,   TextId::Multimedia,  TextId::FireKey,   TextId::SingleKey,
    TextId::ComboKey,  TextId::MacroKey,    TextId::Shift,     TextId::KeyOff,
};

const char* column(const TextRow& row, Language language) {
  switch (language) {
    case Language::SimplifiedChinese: return row.simplified;
    case Language::TraditionalChinese: return row.traditional;
    default: return row.english;
  }
}

bool validId(TextId id) {
  const int i = static_cast<int>(id);
  return i >= 0 && i < kTextCount;
}

const std::string& emptyString() {
  static const std::string empty;
  return empty;
}

}  // namespace

UiTexts::UiTexts(Language language) : language_(language) {
  for (std::size_t i = 0; i < text_.size(); ++i) text_[i] = column(kTexts[i], language);
}

const std::string& UiTexts::get(TextId id) const {
  return validId(id) ? text_[static_cast<std::size_t>(id)] : emptyString();
}

const std::string& UiTexts::functionName(int index) const {
  if (index < 0 || index >= static_cast<int>(std::size(kFunctionRoles))) return emptyString();
  return get(kFunctionRoles[index]);
}

const char* englishText(TextId id) { return textFor(Language::English, id); }

const char* textFor(Language language, TextId id) {
  return validId(id) ? column(kTexts[static_cast<std::size_t>(id)], language) : "";
}

namespace {

DialogTexts englishDialogs() {
  DialogTexts t;
  t.ok = "OK";
  t.cancel = "Cancel";
  t.singleKeyPrompt = "Please enter a key";
  t.mediaRows = {"Next", "Previous", "Stop", "Play/Pause", "Mute", "Vol+", "Vol-"};
  t.windowsRows = {
      "Multimedia Player",   "Mail",         "Calculator",      "My Computer",  "Browser-Search",
      "Browser-Home",        "Browser-Back", "Browser-Forward", "Browser-Stop", "Browser-Refresh",
      "Browser-My Favorites"};
  t.fireSpeedLabel = "Speed";
  t.fireTimesLabel = "Times";
  t.fireHeading = "Illustration:";
  t.fireSpeedNote = "Speed (value range 5-255, with smaller values faster)";
  t.fireTimesNote = "Times (value range 0-255,0 indicates fire key to end when the key released)";
  t.delayPrompt = "Please enter a delay";
  t.delayRangeNote = "(value range 50-10000)";
  t.macroPrompt = "Please select a macro";
  t.macroRepeatOptions = {"Repeat a specified number of times or press any key to end",
                          "Repeat until press any key to end", "Repeat until the key is released"};
  t.skinsColorPrompt = "Please click to set the UI text color";
  return t;
}

DialogTexts simplifiedDialogs() {
  DialogTexts t;
  t.ok = "确定";
  t.cancel = "取消";
  t.singleKeyPrompt = "请输入一个按键";
  t.mediaRows = {"下一首", "上一首", "停止", "播放/暂停", "静音", "音量+", "音量-"};
  t.windowsRows = {"打开多媒体播放器", "邮件",        "计算器",       "我的电脑",
                   "浏览器-搜索",      "浏览器-主页", "浏览器-后退",  "浏览器-前进",
                   "浏览器-停止",      "浏览器-刷新", "浏览器-收藏夹"};
  t.fireSpeedLabel = "速度";
  t.fireTimesLabel = "次数";
  t.fireHeading = "说明:";
  t.fireSpeedNote = "速度(数值范围5-255，数值越小速度越快)";
  t.fireTimesNote = "次数(数值范围0-255，0表示按键放开火力键结束)";
  t.delayPrompt = "请输入一个延时";
  t.delayRangeNote = "(数值范围 50-10000)";
  t.macroPrompt = "请从列表框选择一个宏";
  t.macroRepeatOptions = {"重复指定次数或按任意键结束", "重复直到按任意键结束", "重复直到该按键松开结束"};
  t.skinsColorPrompt = "请点击设置UI文本颜色";
  return t;
}

DialogTexts traditionalDialogs() {
  DialogTexts t;
  t.ok = "確定";
  t.cancel = "取消";
  t.singleKeyPrompt = "請輸入一個按鍵";
  t.mediaRows = {"下一首", "上一首", "停止", "播放/暫停", "靜音", "音量+", "音量-"};
  t.windowsRows = {"打開多媒體播放器", "郵件",        "計算器",         "我的電腦",
                   "瀏覽器-搜索",      "瀏覽器-主頁", "瀏覽器-後退",    "瀏覽器-前進",
                   "瀏覽器-停止",      "瀏覽器-刷新", "瀏覽器-我的最愛"};
  t.fireSpeedLabel = "速度";
  t.fireTimesLabel = "次數";
  t.fireHeading = "說明:";
  t.fireSpeedNote = "速度(數值範圍5-255，數值越小速度越快)";
  t.fireTimesNote = "次數(數值範圍0-255，0表示按鍵放開火力鍵結束)";
  t.delayPrompt = "請輸入一個延時";
  t.delayRangeNote = "(數值範圍 50-10000)";
  t.macroPrompt = "請從清單方塊選擇一個巨集";
  t.macroRepeatOptions = {"重複指定次數或按任意鍵結束", "重複直到按任意鍵結束", "重複直到該按鍵鬆開結束"};
  t.skinsColorPrompt = "請點擊設置UI文本顏色";
  return t;
}

}  // namespace

const DialogTexts& dialogTexts(Language language) {
  // Built on first use; immutable afterwards.
  static const DialogTexts english = englishDialogs();
  static const DialogTexts simplified = simplifiedDialogs();
  static const DialogTexts traditional = traditionalDialogs();
  switch (language) {
    case Language::SimplifiedChinese: return simplified;
    case Language::TraditionalChinese: return traditional;
    default: return english;
  }
}

}  // namespace hm
