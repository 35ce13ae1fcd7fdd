#include "downloads/core/DownloadList.h"

int DownloadList::runningCount() const
{
    int n = 0;
    for (const DownloadItem *item : items())
        n += item->isRunning() ? 1 : 0;
    return n;
}

void DownloadList::cancelAll()
{
    for (DownloadItem *item : items()) {
        if (item->isRunning())
            item->cancel();
    }
}
