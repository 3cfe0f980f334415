// ImageList1: the tray icon (index 0) and the status images of the list's
// "Send" column (1 to 6, the numbers of zentcore::JobImage). Drawn in code so
// they scale with the screen and need no files.
#pragma once

#include <QIcon>
#include <QList>

namespace zentclient {

class ImageList {
public:
    ImageList();
    static constexpr int kTrayIcon = 0;
    // An empty icon for an unknown index.
    QIcon icon(int index) const;
    int count() const { return int(icons_.size()); }

private:
    QList<QIcon> icons_;
};

}  // namespace zentclient
