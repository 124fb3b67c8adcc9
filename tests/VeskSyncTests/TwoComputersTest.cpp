#include "StoreFixture.h"

#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskSync/CloudMirror.h"
#include "VeskSync/Deduplicator.h"
#include "VeskSync/DeskRepository.h"
#include "VeskSync/SyncCoordinator.h"
#include "support/Cloud/FakeCloudContainer.h"

using namespace vesk;
using namespace vesk::test;

namespace {

// One computer of the user: its own store, mirrored into the shared cloud.
struct Computer {
    Computer(const QString& name, const QString& path, const std::shared_ptr<FakeCloud>& cloud)
        : container(std::make_shared<FakeCloudContainer>(cloud)),
          sync(QStringLiteral("iCloud.app.tessarn.notch"), container, path) {
        sync.start(true);
        repository = std::make_unique<DeskRepository>(std::make_shared<ModelContext>(sync.container()), name);
    }
    void collapse() {
        ModelContext context(sync.container());
        ASSERT_TRUE(Deduplicator().run(context));
        repository->refresh();
    }
    QUuid idOf(const QString& title) const {
        for (const TodoSnapshot& todo : repository->todos())
            if (todo.title == title) return todo.id;
        return {};
    }
    QStringList titles() const {
        QStringList result;
        for (const TodoSnapshot& todo : repository->todos())
            result << todo.title + (todo.isDone ? QStringLiteral(" (done)") : QString());
        return result;
    }

    std::shared_ptr<FakeCloudContainer> container;
    SyncCoordinator sync;
    std::unique_ptr<DeskRepository> repository;
};

class TwoComputersTest : public StoreFixture {
protected:
    void SetUp() override { UserDefaults::setStandard(UserDefaults::inMemory()); }
    void TearDown() override { UserDefaults::setStandard(nullptr); }

    std::shared_ptr<FakeCloud> cloud = std::make_shared<FakeCloud>();
    Computer a{QStringLiteral("Mac A"), m_folder.filePath(QStringLiteral("A.store")), cloud};
    Computer b{QStringLiteral("Mac B"), m_folder.filePath(QStringLiteral("B.store")), cloud};
};

} // namespace

TEST_F(TwoComputersTest, BothNotesSurviveTheirFirstSyncAsOneMergedNote) {
    a.repository->saveNote(QStringLiteral("shared\nfrom A"));
    b.repository->saveNote(QStringLiteral("shared\nfrom B"));
    cloud->deliver();
    a.collapse();
    b.collapse();
    cloud->deliver();

    const QString merged = QStringLiteral("shared\nfrom A") + NoteMerge::separator + QStringLiteral("from B");
    for (Computer* computer : {&a, &b}) {
        EXPECT_EQ(computer->repository->noteText(), merged);
        EXPECT_TRUE(computer->repository->noteHadConflict());
        auto db = peer(computer->sync.container()->path());
        EXPECT_EQ(count(db, "SyncedNote"), 1);
        EXPECT_EQ(count(db, "SyncedNoteRevision"), 2);
    }
    EXPECT_EQ(a.sync.mirror()->pendingCount(), 0);
}

TEST_F(TwoComputersTest, EditsTravelAndAFullCloudSaysSo) {
    a.repository->addTodo(QStringLiteral("milk"));
    a.repository->addTodo(QStringLiteral("bread"));
    cloud->deliver();
    QStringList both = b.titles();
    both.sort();
    EXPECT_EQ(both, (QStringList{"bread", "milk"}));

    a.repository->toggleTodo(a.idOf(QStringLiteral("milk")));
    a.repository->deleteTodo(a.idOf(QStringLiteral("bread")));
    cloud->deliver();
    EXPECT_EQ(b.titles(), QStringList{"milk (done)"});

    cloud->saveError = CloudError{CloudContainer::quotaExceededCode, QStringLiteral("Quota exceeded")};
    a.repository->addTodo(QStringLiteral("eggs"));
    EXPECT_EQ(a.sync.status().summary(), QStringLiteral("Your cloud storage is full"));
    EXPECT_EQ(a.sync.mirror()->pendingCount(), 1) << "what failed waits for the next export";
    cloud->saveError.reset();
    a.sync.mirror()->exportPending();
    cloud->deliver();
    EXPECT_EQ(b.titles(), (QStringList{"eggs", "milk (done)"}));
    EXPECT_EQ(a.sync.status().kind, SyncStatus::Kind::idle);
}
