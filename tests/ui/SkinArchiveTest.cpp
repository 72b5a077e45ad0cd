// The skin archive linked into this program, look-ups, size limits, the
// folder mode and image decoding.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "ui/SkinArchive.h"
#include "ui/SkinImage.h"
#include "ui/SkinManager.h"
#include "ui/SkinMarkup.h"
#include "ui/SkinResources.h"

using namespace SkinUI;

namespace {

std::vector<unsigned char> ResourceBytes() {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(147), L"ZIPRES");
    if (info == nullptr) return {};
    auto* data = static_cast<const unsigned char*>(::LockResource(::LoadResource(module, info)));
    return std::vector<unsigned char>(data, data + ::SizeofResource(module, info));
}

class SharedArchive : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CSkinResources::OpenResourceArchive(147)); }
};

TEST(Archive, OpensTheLinkedSkinAndExtractsEveryFile) {
    std::vector<unsigned char> bytes = ResourceBytes();
    ASSERT_FALSE(bytes.empty());
    CSkinArchive archive;
    ASSERT_TRUE(archive.OpenFromMemory(bytes.data(), bytes.size()));
    bool sawImage = false;
    for (size_t i = 0; i < archive.Count(); ++i) {
        const CSkinArchive::Entry* e = archive.EntryAt(i);
        EXPECT_EQ(e->path.find(L'\\'), std::wstring::npos) << "stored paths use /";
        EXPECT_EQ(e->pathLength, e->path.size() + 1);
        EXPECT_EQ(e->data.size(), e->size);
        if (e->path == L"res/test/semi.png") sawImage = true;
    }
    EXPECT_TRUE(sawImage);

    int index = -1;
    uint64_t size = 0;
    ASSERT_TRUE(archive.Find(L"res/test/semi.png", index, size));
    std::vector<unsigned char> out(static_cast<size_t>(size));
    ASSERT_TRUE(archive.Extract(index, out.data()));
    ASSERT_GE(out.size(), 8u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out.data()) + 1, 3), "PNG");
    EXPECT_FALSE(archive.Extract(9999, out.data()));
}

TEST(Archive, RefusesDataThatIsNotAnArchive) {
    CSkinArchive archive;
    std::string junk = "this is not a 7z archive at all";
    EXPECT_FALSE(archive.OpenFromMemory(junk.data(), junk.size()));
    EXPECT_FALSE(archive.OpenFromMemory(nullptr, 0));
    std::vector<unsigned char> bytes = ResourceBytes();
    // Cut in the middle: the header at the end is missing.
    EXPECT_FALSE(archive.OpenFromMemory(bytes.data(), bytes.size() / 2));
    // A damaged packed stream fails its check instead of giving wrong data.
    std::vector<unsigned char> damaged = bytes;
    for (size_t i = 64; i < 96 && i < damaged.size(); ++i) damaged[i] ^= 0x5A;
    EXPECT_FALSE(archive.OpenFromMemory(damaged.data(), damaged.size()));
    EXPECT_FALSE(archive.IsOpen());
    EXPECT_EQ(archive.Count(), 0u);
}

TEST_F(SharedArchive, LookUpIgnoresCaseAndSlashDirection) {
    const CSkinArchive* archive = CSkinResources::Archive();
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(CSkinResources::ArchiveName(), L"membuffer");
    int a = -1, b = -1, c = -1;
    uint64_t size = 0;
    ASSERT_TRUE(archive->Find(L"res\\common\\closebtn1.png", a, size));
    ASSERT_TRUE(archive->Find(L"res/common/closebtn1.png", b, size));
    ASSERT_TRUE(archive->Find(L"RES\\Common/CLOSEBTN1.PNG", c, size));
    EXPECT_EQ(a, b);
    EXPECT_EQ(a, c);
    int d = -1;
    EXPECT_TRUE(archive->Find(L"TestWnd.xml", d, size));  // stored as testWnd.xml
    EXPECT_FALSE(archive->Find(L"testWnd.xm", d, size));
    EXPECT_FALSE(archive->Find(L"res\\common", d, size));  // folders are not entries
    EXPECT_FALSE(archive->Find(L"", d, size));
}

TEST_F(SharedArchive, ASecondOpenWhileCachedChangesNothing) {
    std::string junk = "garbage";
    EXPECT_TRUE(CSkinResources::OpenMemoryArchive(junk.data(), junk.size()));
    int index = -1;
    uint64_t size = 0;
    EXPECT_TRUE(CSkinResources::Archive()->Find(L"testWnd.xml", index, size));
}

TEST_F(SharedArchive, SkinFilesLoadThroughTheArchiveWithTheirLimits) {
    struct Case {
        const wchar_t* name;
        bool loads;
        const wchar_t* error;
    } cases[] = {
        {L"TestWnd.xml", true, L""},
        {L"big_ok.xml", true, L""},  // exactly 4194304 bytes
        {L"big_over.xml", false, L"File too large"},
        {L"empty.xml", false, L"File is empty"},
        {L"missing.xml", false, L"Could not find ziped file"},
        {L"BrokenWnd.xml", false, L"Expected attribute value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)));
        CSkinMarkup markup;
        EXPECT_EQ(markup.LoadFromFile(c.name), c.loads);
        EXPECT_EQ(markup.GetLastErrorMessage(), c.error);
    }
    CSkinMarkup big;
    ASSERT_TRUE(big.LoadFromFile(L"big_ok.xml"));
    EXPECT_EQ(big.GetRoot().GetChild().GetAttributeValue(L"name"), L"bigLbl");
}

TEST(Folder, SkinFilesLoadFromAFolderWithTheirErrorTexts) {
    TestSupport::ScratchFolder folder(L"ui-folder");
    ASSERT_TRUE(TestSupport::WriteFileBytes(folder.File(L"ok.xml"), "<Window><Label name=\"x\"/></Window>"));
    ASSERT_TRUE(TestSupport::WriteFileBytes(folder.File(L"empty.xml"), ""));
    ASSERT_TRUE(TestSupport::WriteFileBytes(folder.File(L"exact.xml"),
                                            "<Window/>" + std::string(4194304 - 9, ' ')));
    ASSERT_TRUE(TestSupport::WriteFileBytes(folder.File(L"huge.xml"),
                                            "<Window/>" + std::string(4194305 - 9, ' ')));

    CSkinResources::CloseArchive();
    const std::wstring saved = CSkinResources::GetResourcePath();
    CSkinResources::SetResourcePath(folder.Path());
    struct Case {
        const wchar_t* name;
        bool loads;
        const wchar_t* error;
    } cases[] = {
        {L"ok.xml", true, L""},
        {L"exact.xml", true, L""},
        {L"huge.xml", false, L"File too large"},
        {L"empty.xml", false, L"File is empty"},
        {L"nothere.xml", false, L"Error opening file"},
    };
    for (const Case& c : cases) {
        CSkinMarkup markup;
        EXPECT_EQ(markup.LoadFromFile(c.name), c.loads);
        EXPECT_EQ(markup.GetLastErrorMessage(), c.error);
    }
    CSkinResources::SetResourcePath(saved);
    EXPECT_TRUE(CSkinResources::OpenResourceArchive(147));
}

TEST_F(SharedArchive, ImagesArePremultipliedBgra) {
    CSkinManagerUI manager;
    ImagePtr image = manager.GetImage(L"res\\test\\semi.png");
    ASSERT_TRUE(image);
    ASSERT_EQ(image->nX, 2);
    ASSERT_EQ(image->nY, 1);
    EXPECT_TRUE(image->alphaChannel);
    const auto* p = static_cast<const unsigned char*>(image->bits);
    // Half-transparent red: colour scaled by 128/255; opaque blue: copied.
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[2], 128);
    EXPECT_EQ(p[3], 128);
    EXPECT_EQ(p[4], 255);
    EXPECT_EQ(p[5], 0);
    EXPECT_EQ(p[6], 0);
    EXPECT_EQ(p[7], 255);

    // Cached per window: the same file, however it is spelled, is one image.
    EXPECT_EQ(manager.GetImage(L"RES/test/SEMI.png").get(), image.get());
    // With a mask the matching pixel becomes transparent.
    ImagePtr masked = manager.GetImage(L"res/test/semi.png", 0xFF0000FF);
    ASSERT_TRUE(masked);
    const auto* m = static_cast<const unsigned char*>(masked->bits);
    EXPECT_EQ(m[4] | m[5] | m[6] | m[7], 0);
    EXPECT_EQ(m[2], 128);
}

TEST_F(SharedArchive, MissingOrBrokenImagesAreSimplyAbsent) {
    CSkinManagerUI manager;
    EXPECT_FALSE(manager.GetImage(L"res\\common\\closebtn4.png"));
    EXPECT_FALSE(manager.GetImage(L"TestWnd.xml"));  // not an image
    std::string junk = "\x89PNG\r\n\x1a\nbroken";
    EXPECT_FALSE(DecodeImage(reinterpret_cast<const unsigned char*>(junk.data()), junk.size(), 0));
    EXPECT_FALSE(DecodeImage(nullptr, 0, 0));
}

TEST(ImageDescriptor, KeysAndPlainPaths) {
    TImageDescriptor d = ParseImageDescriptor(
        L"file='res\\mainWnd\\installPrg1.png' corner='2,2,2,2' mask='#FF0000' fade='128' hole='true' "
        L"xtiled='true' ytiled='false' dest='0,2,16,18' source='1,1,5,5'");
    EXPECT_EQ(d.file, L"res\\mainWnd\\installPrg1.png");
    EXPECT_EQ(d.corner.left, 2);
    EXPECT_EQ(d.corner.bottom, 2);
    EXPECT_EQ(d.mask, 0xFF0000u);
    EXPECT_EQ(d.fade, 128);
    EXPECT_TRUE(d.hole);
    EXPECT_TRUE(d.xTiled);
    EXPECT_FALSE(d.yTiled);
    EXPECT_EQ(d.dest.top, 2);
    EXPECT_EQ(d.dest.right, 16);
    EXPECT_EQ(d.source.right, 5);

    EXPECT_EQ(ParseImageDescriptor(L"res\\mainWnd\\bg1.png").file, L"res\\mainWnd\\bg1.png");
    EXPECT_EQ(ParseImageDescriptor(L"file=a.png").file, L"file=a.png");
    // Two spaces end the list: the second pair is not read.
    TImageDescriptor two = ParseImageDescriptor(L"file='a.png'  dest='1,1,5,5'");
    EXPECT_EQ(two.file, L"a.png");
    EXPECT_EQ(two.dest.right, 0);
    // An unclosed quote ends it too.
    TImageDescriptor open = ParseImageDescriptor(L"file='a.png' fade='12");
    EXPECT_EQ(open.file, L"a.png");
    EXPECT_EQ(open.fade, 255);
    TImageDescriptor colour = ParseImageDescriptor(L"color='#80FF0000' scale9='1,2,3,4'");
    EXPECT_TRUE(colour.hasColor);
    EXPECT_EQ(colour.color, 0x80FF0000u);
    EXPECT_EQ(colour.corner.top, 2);
}

} // namespace
