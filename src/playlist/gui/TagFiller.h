// Reads the tags of playlist items on a worker thread and fills the items as
// the answers come back, so a long list never freezes the window.
#pragma once

#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <cstdint>
#include <memory>

#include "playlist/FlatListModel.h"
#include "playlist/gui/ItemTags.h"

namespace cx {

class TagFiller : public QObject {
public:
    TagFiller(FlatListModel& model, TagReaderFn reader, QObject* parent = nullptr);
    // Waits for the file being read, drops the rest.
    ~TagFiller() override;

    // Queues one item; its text and time are replaced when the tags are read.
    void Request(std::uint64_t itemId, const std::string& path);
    // Looks for every item's file on the worker and marks those not found.
    void FindMissing();
    // Drops everything queued (the list was cleared or reloaded).
    void Cancel();
    // Blocks until every queued item is done (for tests and shut-down).
    void WaitForDone();

private:
    FlatListModel& m_model;
    TagReaderFn m_reader;
    QThreadPool m_pool;
    // Bumped by Cancel: answers of an older generation are ignored.
    std::shared_ptr<std::atomic<std::uint64_t>> m_generation;
};

}  // namespace cx
