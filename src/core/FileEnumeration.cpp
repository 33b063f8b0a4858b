#include "core/FileEnumeration.h"
#include "core/ErrorReport.h"
#include "core/Flags.h"

namespace nw {

FileList GetFileList(QString folder, const Yielder& yield, const ListedHook& listed) {
    folder = fs::folderText(folder);
    FileList list;
    ScanFolder(folder, list, yield, listed);
    return list;
}

void ScanFolder(const QString& folder, FileList& list, const Yielder& yield,
                const ListedHook& listed) {
    bool ok = false;
    QList<fs::Kind> kinds;
    const QStringList items = FolderItems(folder, ok, yield, &kinds);
    if (!ok) {
        // The level that asked for the listing fails too and contributes nothing.
        ReportError(QStringLiteral("Global"), QStringLiteral("ScanFolder"),
                    ErrorInfo::make(ErrObjectNotSet, folder));
        return;
    }
    int id = -1; // the folder joins the table with its first file
    for (qsizetype k = 0; k < items.size(); ++k) {
        yieldTo(yield);
        if (StopFlag)
            return;
        switch (kinds[k]) {
        case fs::Kind::Folder:
            yieldTo(yield);
            ScanFolder(folder + items[k] + fs::separator(), list, yield, listed);
            break;
        case fs::Kind::File:
            yieldTo(yield);
            if (id < 0)
                id = list.addFolder(folder);
            list.append(id, items[k]);
            break;
        case fs::Kind::Missing: // the listing leaves out what it cannot look up
        case fs::Kind::Other:
            break;
        }
    }
    if (listed)
        listed(list);
}

QStringList FolderItems(const QString& folder, bool& ok, const Yielder& yield,
                        QList<fs::Kind>* kinds) {
    QStringList names;
    const ErrorInfo error = fs::listFolder(folder, names, kinds, [&yield] { yieldTo(yield); });
    if (error) {
        ok = false;
        ReportError(QStringLiteral("Global"), QStringLiteral("FolderItems"), error);
        return {};
    }
    for (qsizetype k = 0; k < names.size() && !StopFlag; ++k)
        yieldTo(yield);
    ok = true;
    return names;
}

double GetFSize(const QString& path) {
    if (path.isEmpty())
        return 0;
    qint64 size = 0;
    const ErrorInfo error = fs::fileSize(path, size);
    if (error) {
        ReportError(QStringLiteral("Global"), QStringLiteral("GetFSize"), error);
        return 0;
    }
    return double(size);
}

} // namespace nw
