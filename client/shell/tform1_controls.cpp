// The main window's controls, menus and tray icon, with their captions and
// the handlers they are bound to.
#include "shell/tform1.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTableWidget>

namespace zentclient {

namespace {

struct Column {
    const char* caption;
    int width;
};

constexpr Column kColumns[] = {
    {"Send", 90},  {"Document", 180},    {"Submitted", 150},  {"Size", 60},      {"Pages", 50},  {"Copies", 50},
    {"Paper Size", 150}, {"Orientation", 80}, {"Session Id", 70}, {"Printer", 100}, {"Server", 120},
};

}  // namespace

void TForm1::createControls() {
    ListView1 = new QTableWidget(0, int(std::size(kColumns)), this);
    ListView1->setObjectName("ListView1");
    connect(ListView1, &QTableWidget::itemSelectionChanged, this, [this] { updateStatusText(); });
    QStringList captions;
    for (const auto& c : kColumns) captions << c.caption;
    ListView1->setHorizontalHeaderLabels(captions);
    for (int i = 0; i < int(std::size(kColumns)); ++i) ListView1->setColumnWidth(i, kColumns[i].width);
    // A report: read-only, whole rows, one at a time, grid lines, no sorting.
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setShowGrid(true);
    ListView1->setSortingEnabled(false);
    ListView1->setWordWrap(false);
    ListView1->horizontalHeader()->setSectionsClickable(false);
    ListView1->horizontalHeader()->setMinimumSectionSize(10);
    ListView1->horizontalHeader()->setHighlightSections(false);
    ListView1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ListView1->verticalHeader()->hide();
    ListView1->setIconSize(QSize(16, 16));
    ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 6);
    setCentralWidget(ListView1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setSizeGripEnabled(true);
    StatusText = new QLabel(StatusBar1);
    StatusText->setObjectName("StatusText");
    StatusBar1->addWidget(StatusText, 1);
    TrayNote = new QLabel(StatusBar1);
    TrayNote->setObjectName("TrayNote");
    TrayNote->hide();
    StatusBar1->addPermanentWidget(TrayNote);
    setStatusBar(StatusBar1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    Timer1->start();

    setWindowIcon(ImageList1.icon(ImageList::kTrayIcon));
    resize(1000, 360);
}

void TForm1::createMenus() {
    auto item = [this](QMenu* menu, const char* name, const char* caption, void (TForm1::*handler)()) {
        QAction* action = menu ? menu->addAction(caption) : new QAction(caption, this);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto menu = [this](const char* name, const char* caption) {
        QMenu* m = menuBar()->addMenu(caption);
        m->setObjectName(name);
        m->menuAction()->setObjectName(QString(name) + "Item");
        connect(m, &QMenu::aboutToShow, this, [this, m] { menuUpdate(m); });
        return m;
    };
    menuBar()->setObjectName("MainMenu1");

    File1 = menu("File1", "File");
    Addnewjob1 = item(File1, "Addnewjob1", "Add new job", &TForm1::AddNewJobExecute);
    Getjobinfo1 = item(File1, "Getjobinfo1", "Get job status", &TForm1::GetJobInfoExecute);
    File1->addSeparator();
    Sendnow1 = item(File1, "Sendnow1", "Send now", &TForm1::Sendnow1Click);
    Sendlater1 = item(File1, "Sendlater1", "Send later", &TForm1::Sendlater1Click);
    Cancel1 = item(File1, "Cancel1", "Never send", &TForm1::Cancel1Click);
    File1->addSeparator();
    Exit1 = item(File1, "Exit1", "Exit", &TForm1::Exit1Click);
    for (QAction* a : {Sendnow1, Sendlater1, Cancel1}) a->setEnabled(false);

    Edit1 = menu("Edit1", "Edit");
    Preferences1 = item(Edit1, "Preferences1", "Preferences", &TForm1::PreferencesClick);

    View1 = menu("View1", "View");
    Archive3 = item(View1, "Archive3", "Archive", &TForm1::Archive3Click);
    Archive = item(nullptr, "Archive", "Archive", &TForm1::Archive3Click);

    Tools1 = menu("Tools1", "Tools");
#ifdef ZENTROPE_UPDATER
    // A build without the updater (a distribution package) has no such item.
    getNewerVersion1 = item(Tools1, "getNewerVersion1", "Get Newer Version", &TForm1::FTPActionExecute);
    Tools1->addSeparator();
#endif
    AddPortMonitor1 = item(Tools1, "AddPortMonitor1", "Add Port Monitor", &TForm1::AddPortMonActionExecute);
    RemovePortMonitor1 =
        item(Tools1, "RemovePortMonitor1", "Remove Port Monitor", &TForm1::DelPortMonActionExecute);
    Tools1->addSeparator();
    AddPrinter1 = item(Tools1, "AddPrinter1", "Add Printer", &TForm1::AddPrinterExecute);
    RemovePrinter1 = item(Tools1, "RemovePrinter1", "Remove Printer", &TForm1::RemovePrinter1Click);

    Help1 = menu("Help1", "Help");
    Help2 = item(Help1, "Help2", "Help", &TForm1::Help2Click);
    Help1->addSeparator();
    About1 = item(Help1, "About1", "About", &TForm1::About1Click);

    TrayPopupMenu = new QMenu(this);
    TrayPopupMenu->setObjectName("TrayPopupMenu");
    Restore1 = item(TrayPopupMenu, "Restore1", "Restore", &TForm1::Restore1Click);
    Exit2 = item(TrayPopupMenu, "Exit2", "Exit", &TForm1::Exit2Click);
    TrayPopupMenu->setDefaultAction(Restore1);
}

void TForm1::createTrayIcon() {
    TrayIcon1 = new orloqt::TExtTrayIcon(this);
    TrayIcon1->setIcon(ImageList1.icon(ImageList::kTrayIcon));
    TrayIcon1->setObjectName("TrayIcon1");
    TrayIcon1->setToolTip(kTrayToolTip);
    TrayIcon1->setContextMenu(TrayPopupMenu);
    // A left double click brings the window back.
    TrayIcon1->RestoreSetting = 1;
    TrayIcon1->OnRestore = [this] { Restore1DbClick(); };
}

void TForm1::menuUpdate(QMenu* menu) {
    if (menu == File1) {
        const bool selectable = pass_ && pass_->selectable(selectedJob()) != nullptr;
        for (QAction* a : {Sendnow1, Sendlater1, Cancel1}) a->setEnabled(selectable);
    } else if (menu == View1) {
        Archive3->setEnabled(settings_.ArchiveDocs);
    }
}

}  // namespace zentclient
