#pragma once
// A download list the test fills and moves along by hand.
#include "downloads/core/DownloadList.h"

class FakeDownloadItem : public DownloadItem
{
public:
    FakeDownloadItem(const QString &path, qint64 total, QObject *parent)
        : DownloadItem(parent), m_path(path), m_total(total)
    {
    }
    QString path() const override { return m_path; }
    qint64 receivedBytes() const override { return m_received; }
    qint64 totalBytes() const override { return m_total; }
    State state() const override { return m_state; }
    QString failure() const override { return m_failure; }
    void cancel() override
    {
        ++cancelCalls;
        if (m_state == Running)
            set(Cancelled);
    }

    void receive(qint64 bytes)
    {
        m_received = bytes;
        emit changed();
    }
    void set(State state, const QString &failure = QString())
    {
        m_state = state;
        m_failure = failure;
        emit changed();
    }
    int cancelCalls = 0;

private:
    QString m_path;
    qint64 m_total;
    qint64 m_received = 0;
    State m_state = Running;
    QString m_failure;
};

class FakeDownloadList : public DownloadList
{
public:
    QList<DownloadItem *> items() const override
    {
        QList<DownloadItem *> list;
        for (FakeDownloadItem *item : m_items)
            list << item;
        return list;
    }
    FakeDownloadItem *start(const QString &path, qint64 total)
    {
        auto *item = new FakeDownloadItem(path, total, this);
        m_items << item;
        emit added(item);
        return item;
    }
    void fail(FakeDownloadItem *item, const QString &why)
    {
        item->set(DownloadItem::Failed, why);
        emit failed(item);
    }

private:
    QList<FakeDownloadItem *> m_items;
};
