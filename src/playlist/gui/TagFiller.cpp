#include "playlist/gui/TagFiller.h"

#include <QCoreApplication>
#include <filesystem>
#include <utility>
#include <vector>

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

void TagFiller::FindMissing() {
    std::vector<std::pair<std::uint64_t, std::string>> files;
    files.reserve(m_model.Items().size());
    for (const auto& item : m_model.Items()) files.emplace_back(item.id, item.ListPath);
    const std::uint64_t generation = m_generation->load();
    auto generations = m_generation;
    m_pool.start([this, files = std::move(files), generation, generations] {
        std::vector<std::uint64_t> missing;
        for (const auto& [id, path] : files) {
            if (generations->load() != generation) return;
            std::error_code ec;
            if (!std::filesystem::is_regular_file(path, ec)) missing.push_back(id);
        }
        // One answer for the whole list: one repaint, however long it is.
        QMetaObject::invokeMethod(
            this,
            [this, missing = std::move(missing), generation, generations] {
                if (generations->load() != generation) return;
                m_model.SetMissing(missing);
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
