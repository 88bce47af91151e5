// The main window's controls: sizes, places, fonts and colours, and which handler each event
// reaches.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <type_traits>

#include "pack/BuildInstaller.h"
#include "toolkit/QtColor.h"
#include "toolkit/WidgetCanvas.h"
#include "ui/BaFunction.h"
#include "ui/DialogParts.h"
#include "ui/Glyphs.h"
#include "ui/UpDown.h"
#include "ui/WizardLook.h"
#include "ui/WizardRules.h"
#include "ui/uMain.h"

namespace {

const QColor Teal(0, 128, 128);
constexpr TColor ThumbnailColor = RGBColor(209, 243, 139);
constexpr TColor SwatchColor = RGBColor(0, 128, 255);

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

// Teal 宋体, the look of the page buttons and the page's guiding texts.
template <typename T>
T* Guide(T* widget) {
    widget->setFont(DialogFont());
    SetTextColor(widget, Teal);
    if constexpr (std::is_same_v<T, QLabel>) {
        widget->adjustSize();
    }
    return widget;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& at) {
    auto* button = Named(new QPushButton(text, parent), name);
    button->setGeometry(at);
    return button;
}

QToolButton* MakeGlyphButton(QWidget* parent,
                             const char* name,
                             const QPixmap& glyph,
                             const QString& hint,
                             int left,
                             int top) {
    auto* button = Named(new QToolButton(parent), name);
    button->setIcon(glyph);
    button->setIconSize(QSize(16, 16));
    button->setToolTip(hint);
    button->setGeometry(left, top, 23, 22);
    return button;
}

QLineEdit* MakeReadOnlyEdit(QWidget* parent, const char* name, const QRect& at) {
    auto* edit = Named(new QLineEdit(parent), name);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    edit->setGeometry(at);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, ToQColor(ThumbnailColor));
    edit->setPalette(palette);
    return edit;
}

}  // namespace

void TfrmMain::CreateControls() {
    setWindowTitle(QStringLiteral("Kavro - 世界上最棒的屏保制作程序"));
    setFixedSize(602, 358);
    setFont(WindowFont());

    Page = Named(new QTabWidget(this), "Page");
    Page->setGeometry(4, 4, 594, 318);
    const QString pad(6, QLatin1Char(' '));
    for (const QString& caption : {QStringLiteral("第一步(图片)"),
                                   QStringLiteral("第二步(选项)"),
                                   QStringLiteral("第三步(创建)")}) {
        auto* page = new QWidget;
        Page->addTab(page, pad + caption + pad);
    }
    CreatePicturesPage(PageWidget(TWizardPage::Pictures));
    CreateOptionsPage(PageWidget(TWizardPage::Options));
    CreateCreatePage(PageWidget(TWizardPage::Create));
    Page->setCurrentIndex(static_cast<int>(TWizardPage::Pictures));
    connect(Page, &QTabWidget::currentChanged, this, [this] {
        if (FSwitching) {
            return;
        }
        PageChanging(static_cast<int>(FPage));
        FPage = CurrentPage();
        PageChange();
    });

    btnBack = MakeButton(this, "btnBack", QStringLiteral("后退"), QRect(353, 328, 75, 25));
    btnBack->setEnabled(false);
    btnNext = MakeButton(this, "btnNext", QStringLiteral("下一步"), QRect(434, 328, 75, 25));
    btnExit = MakeButton(this, "btnExit", QStringLiteral("退出"), QRect(519, 328, 75, 25));
    connect(btnBack, &QPushButton::clicked, this, &TfrmMain::btnBackClick);
    connect(btnNext, &QPushButton::clicked, this, &TfrmMain::btnNextClick);
    connect(btnExit, &QPushButton::clicked, this, &TfrmMain::btnExitClick);

    mAbout = Named(new QAction(QStringLiteral("关于 Kavro"), this), "mAbout");
    connect(mAbout, &QAction::triggered, this, &TfrmMain::mAboutClick);
    auto* aboutButton = Named(new QToolButton(this), "btnAbout");
    aboutButton->setDefaultAction(mAbout);
    aboutButton->setAutoRaise(true);
    aboutButton->setGeometry(8, 329, 90, 23);
    addAction(mAbout);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    actCheck = Named(new QAction(this), "actCheck");
    btnUpdate = Named(new QToolButton(this), "btnUpdate");
    btnUpdate->setDefaultAction(actCheck);
    btnUpdate->setGeometry(0, 329, 23, 22);
}

void TfrmMain::CreatePicturesPage(QWidget* page) {
    MakeFramingPanel(page, QRect(6, 12, 576, 66));
    Guide(MakeCaptionPanel(page, QStringLiteral("标题"), 14, 4));
    Guide(Named(
        MakeLabel(page, QStringLiteral("屏幕保护标题 (中间不要包含“屏幕保护”这个词)."), 16, 26),
        "Label1"));
    edtTitle = Named(new QLineEdit(TitlePlaceholder, page), "edtTitle");
    edtTitle->setGeometry(16, 46, 561, 21);
    connect(edtTitle, &QLineEdit::textChanged, this, &TfrmMain::edtTitleChange);
    edtTitle->installEventFilter(this);

    MakeFramingPanel(page, QRect(6, 88, 576, 198));
    Guide(Named(MakeLabel(page, QStringLiteral("添加图片到你的屏幕保护中"), 16, 101), "Label8"));
    btnPicInsert =
        Guide(MakeButton(page, "btnPicInsert", QStringLiteral("插入图片"), QRect(176, 96, 70, 23)));
    btnPicDelete =
        Guide(MakeButton(page, "btnPicDelete", QStringLiteral("删除图片"), QRect(250, 96, 70, 23)));
    btnPicText =
        Guide(MakeButton(page, "btnPicText", QStringLiteral("添加文本"), QRect(324, 96, 70, 23)));
    btnSaverOpen = Guide(
        MakeButton(page, "btnSaverOpen", QStringLiteral("打开屏保..."), QRect(487, 96, 90, 23)));
    chkPicPreview = Named(new QCheckBox(QStringLiteral("预览"), page), "chkPicPreview");
    chkPicPreview->setChecked(true);
    chkPicPreview->setGeometry(398, 98, 60, 19);
    connect(btnPicInsert, &QPushButton::clicked, this, &TfrmMain::btnPicInsertClick);
    connect(btnSaverOpen, &QPushButton::clicked, this, &TfrmMain::btnSaverOpenClick);
    connect(btnPicDelete, &QPushButton::clicked, this, &TfrmMain::btnPicDeleteClick);
    connect(btnPicText, &QPushButton::clicked, this, &TfrmMain::btnPicTextClick);
    connect(chkPicPreview, &QCheckBox::clicked, this, &TfrmMain::chkPicPreviewClick);

    lstPicFiles = Named(new QListWidget(page), "lstPicFiles");
    lstPicFiles->setGeometry(14, 126, 377, 149);
    QFont listFont;
    listFont.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")});
    listFont.setPixelSize(13);
    lstPicFiles->setFont(listFont);
    lstPicFiles->setUniformItemSizes(true);
    lstPicFiles->setStyleSheet(
        QStringLiteral("QListWidget { background: white; }"
                       "QListWidget::item { height: 16px; }"));
    // A mouse click reports itself when released; other ways of moving the selection at once.
    lstPicFiles->viewport()->installEventFilter(this);
    connect(lstPicFiles, &QListWidget::currentRowChanged, this, [this] {
        if (QApplication::mouseButtons() == Qt::NoButton) {
            lstPicFilesClick();
        }
    });

    QFrame* thumbFrame = MakeLoweredFrame(page, 398, 127, 181, 137);
    pnlPicBack = Named(new QFrame(thumbFrame), "pnlPicBack");
    pnlPicBack->setGeometry(1, 1, 181, 137);
    SetPanelColor(pnlPicBack, ThumbnailColor);
    imgPic = Named(new QLabel(pnlPicBack), "imgPic");
    imgPic->setScaledContents(true);
    imgPic->hide();
}

void TfrmMain::CreateOptionsPage(QWidget* page) {
    auto* hint = Guide(Named(new QLabel(page), "pnlHint"));
    hint->setText(
        QStringLiteral("你可以跳过此步骤! "
                       "点击“第三步(创建)或选择直接选择“下一步”,你的屏保将会采用默认的值来创建."));
    hint->setWordWrap(true);
    hint->setFrameStyle(QFrame::Panel | QFrame::Raised);
    hint->setContentsMargins(6, 0, 6, 0);
    hint->setGeometry(6, 6, 576, 36);
    SetPanelColor(hint, FramingColor);

    MakeFramingPanel(page, QRect(6, 56, 576, 62));
    QLabel* soundCaption =
        MakeCaptionPanel(page, QStringLiteral("声音 (            WAV, MID, RMI )"), 14, 48);
    auto* mp3 = new QLabel(QStringLiteral("MP3, "), page);
    mp3->setFont(WindowFont());
    SetTextColor(mp3, QColor(0, 0, 255));
    mp3->adjustSize();
    mp3->move(soundCaption->x() + 5 + soundCaption->fontMetrics().horizontalAdvance("声音 (  "),
              soundCaption->y() + (soundCaption->height() - mp3->height()) / 2);
    Named(MakeLabel(page, QStringLiteral("添加声音到屏幕保护中."), 16, 68), "Label2");
    edtSound = MakeReadOnlyEdit(page, "edtSound", QRect(16, 88, 452, 21));
    btnSoundOpen = MakeGlyphButton(page, "btnSoundOpen", OpenFolderGlyph(), "打开", 474, 87);
    btnSoundPlay = MakeGlyphButton(page, "btnSoundPlay", PlayGlyph(), "播放", 500, 87);
    btnSoundStop = MakeGlyphButton(page, "btnSoundStop", StopGlyph(), "停止", 526, 87);
    btnSoundClear = MakeGlyphButton(page, "btnSoundClear", EraserGlyph(), "清除", 552, 87);
    connect(btnSoundOpen, &QToolButton::clicked, this, &TfrmMain::btnSoundOpenClick);
    connect(btnSoundPlay, &QToolButton::clicked, this, &TfrmMain::btnSoundPlayClick);
    connect(btnSoundStop, &QToolButton::clicked, this, &TfrmMain::btnSoundStopClick);
    connect(btnSoundClear, &QToolButton::clicked, this, &TfrmMain::btnSoundClearClick);

    MakeFramingPanel(page, QRect(6, 134, 284, 72));
    MakeCaptionPanel(page, QStringLiteral("大小与间隔时间"), 14, 126);
    Named(MakeLabel(page, QStringLiteral("图象大小"), 16, 152), "Label10");
    cboImageSize = Named(new QComboBox(page), "cboImageSize");
    cboImageSize->addItems({QStringLiteral("原始大小"), QStringLiteral("扩展全屏")});
    cboImageSize->setGeometry(76, 148, 120, 22);
    Named(MakeLabel(page, QStringLiteral("间隔时间"), 16, 180), "Label4");
    edtInterval = Named(new QLineEdit(page), "edtInterval");
    edtInterval->setGeometry(76, 176, 40, 21);
    udInterval = Named(new TUpDown(1, 60, 5, page), "udInterval");
    udInterval->setGeometry(116, 176, 16, 21);
    udInterval->SetBuddy(edtInterval);
    Named(MakeLabel(page, QStringLiteral("秒"), 138, 180), "Label11");

    MakeFramingPanel(page, QRect(298, 134, 284, 72));
    MakeCaptionPanel(page, QStringLiteral("图片次序 (屏幕保护中图片出现的次序)"), 306, 126);
    rdoSeqNor = Named(new QRadioButton(QStringLiteral("正常"), page), "rdoSeqNor");
    rdoSeqNor->setGeometry(316, 150, 120, 19);
    rdoSeqNor->setChecked(true);
    rdoSeqRnd = Named(new QRadioButton(QStringLiteral("随机"), page), "rdoSeqRnd");
    rdoSeqRnd->setGeometry(316, 176, 120, 19);

    MakeFramingPanel(page, QRect(6, 222, 284, 62));
    MakeCaptionPanel(page, QStringLiteral("背景颜色"), 14, 214);
    Named(MakeLabel(page, QStringLiteral("设置背景颜色"), 16, 246), "Label3");
    pnlBackColor = Named(new QFrame(page), "pnlBackColor");
    pnlBackColor->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlBackColor->setGeometry(110, 240, 33, 25);
    pnlBackColor->setCursor(Qt::PointingHandCursor);
    SetPanelColor(pnlBackColor, SwatchColor);
    pnlBackColor->installEventFilter(this);

    btnTransitions = Guide(
        MakeButton(page, "btnTransitions", QStringLiteral("过渡效果"), QRect(316, 240, 100, 25)));
    btnDescription = Guide(
        MakeButton(page, "btnDescription", QStringLiteral("描述信息"), QRect(432, 240, 100, 25)));
    connect(btnTransitions, &QPushButton::clicked, this, &TfrmMain::btnTransitionsClick);
    connect(btnDescription, &QPushButton::clicked, this, &TfrmMain::btnDescriptionClick);
}

void TfrmMain::CreateCreatePage(QWidget* page) {
    MakeFramingPanel(page, QRect(6, 12, 576, 138));
    MakeCaptionPanel(page, QStringLiteral("预览"), 14, 4);
    // The engine sizes its drawing from the panel's bounds within this frame: (6, 6, 151, 115).
    auto* previewFrame = new QFrame(page);
    previewFrame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    previewFrame->setGeometry(16, 24, 157, 121);
    pnlPreview = Named(new TWidgetCanvas(previewFrame), "pnlPreview");
    pnlPreview->setGeometry(6, 6, 145, 109);
    pnlPreview->SetBackground(clBlack);
    btnPreview =
        Guide(MakeButton(page, "btnPreview", QStringLiteral("点击这里"), QRect(196, 72, 75, 25)));
    auto* label13 = Named(MakeLabel(page, QStringLiteral("进行全屏幕预览"), 278, 78), "Label13");
    SetTextColor(label13, Teal);
    connect(btnPreview, &QPushButton::clicked, this, &TfrmMain::btnPreviewClick);

    MakeFramingPanel(page, QRect(6, 166, 576, 120));
    MakeCaptionPanel(page, QStringLiteral("创建"), 14, 158);
    Named(MakeLabel(page, QStringLiteral("要发布的文件类型:"), 16, 180), "Label9");
    RadioButton1 = Named(new QRadioButton(QStringLiteral("自动安装程序"), page), "RadioButton1");
    RadioButton1->setGeometry(130, 178, 140, 19);
    RadioButton1->setChecked(true);
    auto* label12 = Named(MakeLabel(page,
                                    QStringLiteral("你的屏幕保护程序将会被自动保存在以下目录中,"
                                                   "你可以任意更改它."),
                                    16,
                                    200),
                          "Label12");
    label12->setFont(DialogFont());
    label12->adjustSize();
    edtCreate = MakeReadOnlyEdit(page, "edtCreate", QRect(16, 218, 530, 21));
    btnCreateOpen = MakeGlyphButton(page, "btnCreateOpen", OpenFolderGlyph(), QString(), 552, 217);
    connect(btnCreateOpen, &QToolButton::clicked, this, &TfrmMain::btnCreateOpenClick);
    btnCreate =
        Guide(MakeButton(page, "btnCreate", QStringLiteral("点击这里"), QRect(16, 250, 75, 25)));
    Guide(Named(MakeLabel(page, QStringLiteral("来创建"), 98, 256), "Label14"));
    connect(btnCreate, &QPushButton::clicked, this, &TfrmMain::btnCreateClick);
    pbCreate = Named(new QProgressBar(page), "pbCreate");
    pbCreate->setRange(0, BuildInstallerSteps);
    pbCreate->setValue(0);
    pbCreate->setTextVisible(false);
    pbCreate->setGeometry(160, 253, 410, 18);
}
