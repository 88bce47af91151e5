// The main window's controls: sizes, places, fonts and colours, and which handler each event
// reaches.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

#include "pack/BuildInstaller.h"
#include "toolkit/WidgetCanvas.h"
#include "ui/BaFunction.h"
#include "ui/DialogParts.h"
#include "ui/Glyphs.h"
#include "ui/WizardLook.h"
#include "ui/WizardRules.h"
#include "ui/uMain.h"

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
