#include "about/AboutDialog.h"
#include "about/AboutPictures.h"
#include "core/ErrorReport.h"
#include "core/Failure.h"
#include "core/Texts.h"
#include "widgets/DialogLook.h"
#include "widgets/Links.h"
#include "widgets/Modal.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace nw {

namespace {

const QString Form = QStringLiteral("frmAbout");
const QString ContinueText = QStringLiteral("Continue");
const QString ExitText = QStringLiteral("Exit");

constexpr int WidthTwips = 6915;
constexpr int StartUpHeightTwips = 3570;
constexpr int AboutHeightTwips = 3585;

const QStringList Amounts = {QStringLiteral("$5.00"), QStringLiteral("$10.00"),
                             QStringLiteral("$15.00"), QStringLiteral("$20.00"),
                             QStringLiteral("$25.00")};

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QRect place,
                  qreal pointSize = 8, bool bold = false) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont font = look::dialogFont(pointSize);
    font.setBold(bold);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setGeometry(place);
    return label;
}

} // namespace

AboutDialog::AboutDialog(AboutRole role, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , role_(role) {
    setObjectName(Form);
    setFont(look::dialogFont());
    buildControls();
    formLoad();
    if (role_ == AboutRole::About) {
        cmdOK_->setText(ExitText);
        setFixedSize(look::px(WidthTwips), look::px(AboutHeightTwips));
    }
    cmdOK_->setFocus();
}

void AboutDialog::buildControls() {
    auto* me = new QLabel(this);
    me->setObjectName(QStringLiteral("Me"));
    me->setGeometry(look::place(180, 240, 1950, 2295));
    me->setPixmap(aboutPicture(me->size()));
    me->setToolTip(contactMail());

    lblTitle_ = makeLabel(this, "lblTitle", {}, look::place(2370, 180, 4095, 300), 9.75, true);
    lblVersion_ = makeLabel(this, "lblVersion", {}, look::place(2655, 435, 3825, 225), 9.75);
    makeLabel(this, "Label3",
              QStringLiteral("This program will allow you to locate duplicate filenames (and "
                             "files using CRC32).  It is designed for MP3s. but can be used for "
                             "any text file formats."),
              look::place(2370, 720, 4335, 735));
    makeLabel(this, "Label1",
              QStringLiteral("I will build custom applications to suit your needs, please "
                             "contact me for quotes."),
              look::place(2370, 1485, 4335, 480));

    donateAmt_ = new QComboBox(this);
    donateAmt_->setObjectName(QStringLiteral("DonateAmt"));
    donateAmt_->setEditable(true);
    // A typed amount stays as typed; it is not added to the list.
    donateAmt_->setInsertPolicy(QComboBox::NoInsert);
    donateAmt_->setGeometry(look::place(120, 2640, 1005, 315));

    auto* contactMe = new QPushButton(QStringLiteral("Contact Me"), this);
    contactMe->setObjectName(QStringLiteral("ContactMe"));
    contactMe->setAutoDefault(false);
    contactMe->setGeometry(look::place(1200, 2640, 974, 348));

    QLabel* warning = makeLabel(this, "Label4",
                                QStringLiteral("USE AT YOUR OWN RISK -- DEVELOPER OWNS NO "
                                               "RESPONSIBILITY FOR LOSS OF FILES.  TEST ON SMALL "
                                               "DIR OF FILES FIRST!!!"),
                                look::place(2370, 2910, 4334, 615), 8.25, true);
    QPalette red = warning->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    warning->setPalette(red);

    auto* donateBtn = new QPushButton(this);
    donateBtn->setObjectName(QStringLiteral("DonateBtn"));
    donateBtn->setAutoDefault(false);
    donateBtn->setGeometry(look::place(135, 3000, 960, 465));
    donateBtn->setIcon(QIcon(donateButtonPicture()));
    donateBtn->setIconSize(QSize(60, 28));
    donateBtn->setToolTip(QStringLiteral("Donate"));

    cmdOK_ = new QPushButton(ContinueText, this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setDefault(true);
    cmdOK_->setGeometry(look::place(1200, 3120, 974, 348));

    for (QWidget* label : {static_cast<QWidget*>(warning), findChild<QWidget*>("Label3"),
                           findChild<QWidget*>("Label1"), static_cast<QWidget*>(contactMe)})
        look::fitText(label);

    setTabOrder(cmdOK_, contactMe);
    setTabOrder(contactMe, donateAmt_);
    setTabOrder(donateAmt_, donateBtn);

    connect(cmdOK_, &QPushButton::clicked, this, &AboutDialog::cmdOkClick);
    connect(donateBtn, &QPushButton::clicked, this, &AboutDialog::donateBtnClick);
    connect(contactMe, &QPushButton::clicked, this, &AboutDialog::contactMeClick);
}

QString AboutDialog::versionLine() {
    return QStringLiteral("Version %1.%2 build %3")
        .arg(VersionMajor)
        .arg(VersionMinor)
        .arg(VersionRevision);
}

void AboutDialog::formLoad() {
    try {
        donateAmt_->addItems(Amounts);
        donateAmt_->setCurrentIndex(0);
        cmdOK_->setText(ContinueText);
        cmdOK_->setEnabled(true);
        setFixedSize(look::px(WidthTwips), look::px(StartUpHeightTwips));
        setWindowTitle(QStringLiteral("About ") + AppTitle);
        lblVersion_->setText(versionLine());
        lblTitle_->setText(AppTitle);
        look::fitText(lblTitle_);
    } catch (...) {
        ReportError(Form, QStringLiteral("Form_Load"), currentFailure());
    }
}

void AboutDialog::cmdOkClick() {
    try {
        if (cmdOK_->text() == ContinueText && openMainWindow_ && !openMainWindow_())
            return;
    } catch (...) {
        ReportError(Form, QStringLiteral("cmdOK_Click"), currentFailure());
        return;
    }
    done(QDialog::Accepted);
}

void AboutDialog::reject() {
    if (closing_)
        QDialog::reject();
    else
        cmdOkClick();
}

void AboutDialog::closeEvent(QCloseEvent* event) {
    // Closed from outside (the desktop, the process ending): no main window follows.
    closing_ = true;
    QDialog::closeEvent(event);
    closing_ = false;
}

void AboutDialog::donateBtnClick() {
    reportingFailures(Form, "DonateBtn_Click",
                      [&] { OpenURL(donationUrl(donateAmt_->currentText())); });
}

void AboutDialog::contactMeClick() {
    reportingFailures(Form, "ContactMe_Click", [&] { OpenURL(contactUrl()); });
}

void AboutDialog::showAbout(QWidget* parent) {
    AboutDialog dialog(AboutRole::About, parent);
    runModal(dialog);
}

} // namespace nw
