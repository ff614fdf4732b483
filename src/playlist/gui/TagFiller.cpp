#include "playlist/gui/TagFiller.h"

#include <QCoreApplication>

namespace cx {

TagFiller::TagFiller(FlatListModel& model, TagReaderFn reader, QObject* parent)
    : QObject(parent),
      m_model(model),
      m_reader(reader ? std::move(reader) : ItemTagReader(Codepage::Cp1252)),
      m_generation(std::make_shared<std::atomic<std::uint64_t>>(0)) {
    // One file at a time keeps the disk reading in order.
    m_pool.setMaxThreadCount(1);
}

TagFiller::~TagFiller() {
    m_pool.clear();
    m_pool.waitForDone();
}

void TagFiller::Request(std::uint64_t itemId, const std::string& path) {
    const std::uint64_t generation = m_generation->load();
    auto generations = m_generation;
    m_pool.start([this, itemId, path, generation, generations] {
        std::optional<ItemTags> tags;
        if (generations->load() == generation) tags = m_reader(path);
        // The answer is applied on the window's thread; the destructor waits
        // for this job, so `this` is alive when the call is queued.
        QMetaObject::invokeMethod(
            this,
            [this, itemId, tags, generation, generations] {
                if (!tags || generations->load() != generation) return;
                const int index = m_model.IndexOfId(itemId);
                if (index < 0) return;
                if (!tags->text.empty()) m_model.SetListString(index, tags->text);
                if (!tags->time.empty()) m_model.SetListTime(index, tags->time);
            },
            Qt::QueuedConnection);
    });
}

void TagFiller::Cancel() {
    ++*m_generation;
    m_pool.clear();
}

void TagFiller::WaitForDone() {
    m_pool.waitForDone();
    QCoreApplication::processEvents();
}

}  // namespace cx
