// Replays every file of a fuzz target's seed corpus through its entry function, built with
// the ordinary compiler and sanitizers of the test build: a crash the fuzzer found once,
// kept in the corpus, stays fixed.
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

TEST(FuzzReplay, EveryCorpusFile)
{
    const QDir corpus(QStringLiteral(QMX_FUZZ_CORPUS));
    const QFileInfoList files = corpus.entryInfoList(QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty()) << "no corpus in " << QMX_FUZZ_CORPUS;
    for (const QFileInfo& info : files) {
        SCOPED_TRACE(info.fileName().toStdString());
        QFile file(info.filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                               std::size_t(bytes.size()));
    }
    std::printf("replayed %lld corpus files of %s\n", static_cast<long long>(files.size()),
                QMX_FUZZ_CORPUS);
}
