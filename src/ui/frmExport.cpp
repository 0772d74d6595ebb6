// The window half of the export; the file format and the writing live in the store.
#include "ui/frmExport.h"

#include "harvest/HarvestEngine.h"
#include "store/Export.h"
#include "ui/Skin.h"
#include "ui/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace tarnwick {

frmExport::frmExport(HarvestEngine& engine, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , engine_(engine) {
    setObjectName(QStringLiteral("frmExport"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Export Faxes"));

    Label1_ = new QLabel(QStringLiteral("Output Type:"), this);
    Label1_->setObjectName(QStringLiteral("Label1"));
    Combo1_ = new QComboBox(this);
    Combo1_->setObjectName(QStringLiteral("Combo1"));
    Combo1_->addItems({QStringLiteral("Semi-Colon Delimited (;)"), QStringLiteral("Tab Delimited (^t)"),
                       QStringLiteral("Line Feed Delimited (one per line)")});
    Combo1_->setPlaceholderText(QStringLiteral("Semi-Colon delimited (;)"));
    Combo1_->setCurrentIndex(-1);
    Check2_ = new QCheckBox(QStringLiteral("Put a space between each entry"), this);
    Check2_->setObjectName(QStringLiteral("Check2"));
    Check1_ = new QCheckBox(QStringLiteral("Delete all faxes when finished"), this);
    Check1_->setObjectName(QStringLiteral("Check1"));
    Command1_ = new QPushButton(QStringLiteral("Export"), this);
    Command1_->setObjectName(QStringLiteral("Command1"));

    // Design geometry in twips (left, top, width, height) at 15 twips to a pixel at 96 DPI.
    const auto px = [this](int twips) { return TwipsToPx(*this, twips); };
    Label1_->setGeometry(px(120), px(120), px(3735), px(255));
    Combo1_->setGeometry(px(120), px(390), px(3735), px(315));
    Check2_->setGeometry(px(120), px(825), px(3735), px(255));
    Check1_->setGeometry(px(120), px(1125), px(3735), px(255));
    Command1_->setGeometry(px(1320), px(1530), px(1335), px(435));
    setFixedSize(px(3975), px(2100));

    chooseFile = [this](const QString& startPath) {
        return QFileDialog::getSaveFileName(this, QString(), startPath);
    };
    confirmYesNo = [this](const QString& question) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral(TARNWICK_PRODUCT_NAME), question,
                        QMessageBox::Yes | QMessageBox::No, this);
        return box.exec() == QMessageBox::Yes;
    };
    showWarning = [this](const QString& message) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral(TARNWICK_PRODUCT_NAME), message, QMessageBox::Ok,
                        this);
        box.exec();
    };
    connect(Command1_, &QPushButton::clicked, this, &frmExport::Command1_Click);

    MakeSkinLabels(*this);
    ApplyColours(*this);
}

void frmExport::Command1_Click() {
    const QString start = QString::fromStdString(engine_.AppFolder()) + QStringLiteral("/export.txt");
    const QString fileName = chooseFile ? chooseFile(start) : start;
    // A cancelled dialog exports nothing and leaves the window open for another try.
    if (fileName.isEmpty()) {
        return;
    }
    // Numbers that did not reach the file, or could not be read, must never be deleted: stay open
    // for another try.
    const auto exported = ExportFaxRecords(engine_.Store(), fileName.toStdString(), Combo1_->currentIndex(),
                                           Check2_->isChecked());
    if (!exported) {
        if (showWarning) {
            showWarning(QStringLiteral("The numbers could not be written to %1.").arg(fileName));
        }
        return;
    }
    // A harvest may store numbers while the question is open: only the exported ones go.
    if (Check1_->isChecked() && confirmYesNo &&
        confirmYesNo(QStringLiteral("Are you sure you want to delete all faxes?"))) {
        engine_.DeleteExportedFaxes(*exported);
    }
    close();
}

} // namespace tarnwick
