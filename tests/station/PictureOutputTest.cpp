// Captures stored as files and on the clipboard, on a scripted camera: each file read back by a
// decoder of its own with its size and resolution, written whole in place of whatever stood at
// its name, an operator's existing file replaced only after "Yes", and the host told only of
// pictures really stored.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <csetjmp>
#include <filesystem>
#include <fstream>

#include <jpeglib.h>

#include "platform/ui/PropertySheet.h"
#include "station/ControlIds.h"
#include "station/EnterFileName.h"
#include "tests/setup/ModalScript.h"
#include "tests/station/StationFixture.h"
#include "tests/support/CameraJpeg.h"
#include "tests/support/RowName.h"

namespace {

using station_test::StationFixture;
using Lines = std::vector<std::string>;

// 96 and 200 dots per inch, as pixels per metre: x 39.4, truncated.
constexpr int kHorizontalDpi = 96, kVerticalDpi = 200;
constexpr int kXPelsPerMeter = 3782, kYPelsPerMeter = 7880;
constexpr int kName = CDialogEnterFileName::kFileName;

struct JpegHeader {
    bool ok = false;
    int width = 0, height = 0, components = 0, unit = -1, xDensity = 0, yDensity = 0;
};

std::string Contents(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// libjpeg's own reading of the file's frame and JFIF headers.
JpegHeader ReadJpegHeader(const std::string& file) {
    const std::string bytes = Contents(file);
    struct Errors {
        jpeg_error_mgr pub;
        std::jmp_buf jump;
    } errors{};
    jpeg_decompress_struct cinfo{};
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = [](j_common_ptr c) {
        std::longjmp(reinterpret_cast<Errors*>(c->err)->jump, 1);
    };
    JpegHeader h;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return h;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    h = {true,
         static_cast<int>(cinfo.image_width),
         static_cast<int>(cinfo.image_height),
         cinfo.num_components,
         cinfo.density_unit,
         cinfo.X_density,
         cinfo.Y_density};
    jpeg_destroy_decompress(&cinfo);
    return h;
}

class PictureOutput : public StationFixture {
  protected:
    PictureOutput() {
        setenv("XDG_DATA_HOME", dataDir_.path().toUtf8().constData(), 1);
        driver_.frameSource = [] {
            return zelvo_test::MakeUniformCameraJpeg(640, 480, {200, 120, 60});
        };
        umask(022);
    }

    // A started station storing to `captureType`, live.
    CTRIPOD01Dlg& StartLive(int captureType, int saveFileType, const std::string& fixedName,
                            bool review = false) {
        EXPECT_TRUE(Start());
        CTRIPOD01Dlg& dlg = Dialog();
        // The pictures take their resolution from the capture bitmap the first tick makes.
        dlg.m_HorizontalDPI = kHorizontalDpi;
        dlg.m_VerticalDPI = kVerticalDpi;
        dlg.OnTimer(kPreviewTimer);
        dlg.CheckDlgButton(review ? ids::kPreviewYes : ids::kPreviewNo, true);
        dlg.m_CaptureStoredHook = [this](const std::string& path) { stored_.push_back(path); };
        dlg.m_CaptureFailedHook = [this](const std::string& reason) { failed_.push_back(reason); };
        dlg.m_CaptureType = captureType;
        dlg.m_SaveFileType = saveFileType;
        dlg.m_JpgFileName = fixedName.empty() ? "" : In(fixedName);
        dlg.m_Path = folder_.path().toStdString() + "/";
        return dlg;
    }

    std::string In(const std::string& name) const {
        return folder_.filePath(QString::fromStdString(name)).toStdString();
    }
    // Everything in the pictures' folder: no temporary file may be left there.
    QStringList Listing() const {
        return QDir(folder_.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dataDir_, folder_;
    Lines stored_, failed_;
};

struct FileRow {
    const char* name;
    int captureType;
    int saveFileType;
    std::string fixedName, typed, expected;
};

class EachFile : public PictureOutput, public testing::WithParamInterface<FileRow> {};

TEST_P(EachFile, IsWrittenWholeWithItsSizeAndResolution) {
    const FileRow& row = GetParam();
    CTRIPOD01Dlg& dlg = StartLive(row.captureType, row.saveFileType, row.fixedName);
    ModalScript script({ModalScript::Type(kName, row.typed)});
    dlg.OnCapture();

    const std::string file = In(row.expected);
    EXPECT_EQ(stored_, Lines{file});
    EXPECT_TRUE(services_.Messages().empty());
    EXPECT_EQ(Listing(), QStringList{QString::fromStdString(row.expected)});
    EXPECT_EQ(dlg.m_UserFileName, row.saveFileType == 1 ? row.expected : "");
    struct stat st {};
    ASSERT_EQ(lstat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);  // 0666 less the umask
    if (row.captureType == 1) {
        const JpegHeader h = ReadJpegHeader(file);
        ASSERT_TRUE(h.ok);
        EXPECT_EQ(QSize(h.width, h.height), QSize(624, 468));
        EXPECT_EQ(h.components, 3);
        EXPECT_EQ(h.unit, 1);  // dots per inch, the settings themselves
        EXPECT_EQ(QPoint(h.xDensity, h.yDensity), QPoint(kHorizontalDpi, kVerticalDpi));
    } else {
        const QImage bmp(QString::fromStdString(file), "BMP");
        EXPECT_EQ(bmp.size(), QSize(624, 468));
        EXPECT_EQ(QPoint(bmp.dotsPerMeterX(), bmp.dotsPerMeterY()),
                  QPoint(kXPelsPerMeter, kYPelsPerMeter));
    }
}

const FileRow kFiles[] = {
    {"JpegFixedName", 1, 0, "face.jpg", "", "face.jpg"},
    {"BmpFixedNameLastExtensionReplaced", 2, 0, "face.old.jpg", "", "face.old.BMP"},
    {"JpegTypedName", 1, 1, "", "Visitor.jpeg", "Visitor.JPG"},
    {"BmpTypedName", 2, 1, "", "Visitor", "Visitor.BMP"}};
INSTANTIATE_TEST_SUITE_P(Rows, EachFile, testing::ValuesIn(kFiles), RowName{});

struct TargetRow {
    const char* name;
    int captureType;
    std::string fixedName;
    const char* directoryAt;  // a folder made at this name first, or a link when "link"
    bool stored;
    Lines messages;
    QStringList listing;
    const char* failedWith;  // part of the reason the host is told; "" when stored
};

class AtTheTarget : public PictureOutput, public testing::WithParamInterface<TargetRow> {};

TEST_P(AtTheTarget, TheFileReplacesTheEntryOrTheStoreFails) {
    const TargetRow& row = GetParam();
    CTRIPOD01Dlg& dlg = StartLive(row.captureType, 0, row.fixedName);
    const bool link = std::string(row.directoryAt) == "link";
    if (link) {
        std::ofstream(In("victim")) << "keep";
        QFile::link(folder_.filePath("victim"), folder_.filePath("face.BMP"));
    } else if (*row.directoryAt != '\0') {
        QDir(folder_.path()).mkdir(row.directoryAt);
    }
    dlg.OnCapture();
    EXPECT_EQ(stored_.size(), row.stored ? 1u : 0u);
    ASSERT_EQ(failed_.size(), row.stored ? 0u : 1u);
    if (!row.stored) {
        EXPECT_NE(failed_[0].find(row.failedWith), std::string::npos) << failed_[0];
    }
    EXPECT_EQ(services_.Messages(), row.messages);
    EXPECT_EQ(Listing(), row.listing);
    EXPECT_FALSE(dlg.m_CaptureImage.IsAllocated());
    if (link) {  // whatever a link pointed at is never written through
        EXPECT_EQ(Contents(In("victim")), "keep");
    }
}

const Lines kJpgError{": Error in JPG file save"}, kBmpError{": Error in BMP file save"};
const TargetRow kTargets[] = {
    {"SymbolicLinkReplacedNotFollowed",
     2,
     "face.jpg",
     "link",
     true,
     {},
     {"face.BMP", "victim"},
     ""},
    {"DirectoryAtTheJpegName",
     1,
     "face.jpg",
     "face.jpg",
     false,
     kJpgError,
     {"face.jpg"},
     "face.jpg"},
    {"DirectoryAtTheBmpName", 2, "face", "face.BMP", false, kBmpError, {"face.BMP"}, "face.BMP"},
    {"FolderMissing", 1, "gone/face.jpg", "", false, kJpgError, {}, "No such file or directory"},
    {"NoFixedName", 2, "", "", false, kBmpError, {}, "no file name"}};
INSTANTIATE_TEST_SUITE_P(Rows, AtTheTarget, testing::ValuesIn(kTargets), RowName{});

struct ExistingRow {
    const char* name;
    std::vector<bool> answers;
    int dialogs;  // name dialogs met; the last is cancelled when the store is not to happen
    bool replaced;
};

class ExistingTypedFile : public PictureOutput, public testing::WithParamInterface<ExistingRow> {};

TEST_P(ExistingTypedFile, IsReplacedOnlyAfterYes) {
    const ExistingRow& row = GetParam();
    CTRIPOD01Dlg& dlg = StartLive(1, 1, "");
    std::ofstream(In("Visitor.JPG")) << "another person's picture";
    services_.AnswerQuestions(row.answers);
    std::vector<ModalScript::Step> steps(row.dialogs, ModalScript::Type(kName, "Visitor"));
    if (!row.replaced)
        steps.push_back(ModalScript::Escape());
    ModalScript script(steps);
    dlg.OnCapture();

    EXPECT_EQ(script.Seen(), steps.size());
    EXPECT_EQ(services_.Questions().size(), row.answers.size());
    EXPECT_EQ(Contents(In("Visitor.JPG")) != "another person's picture", row.replaced);
    EXPECT_EQ(stored_, row.replaced ? Lines{In("Visitor.JPG")} : Lines{});
    EXPECT_TRUE(failed_.empty()) << "a cancelled name is the operator's choice";
    EXPECT_TRUE(services_.Messages().empty());
    EXPECT_EQ(Listing(), QStringList{"Visitor.JPG"});
    EXPECT_EQ(dlg.m_CapturePhase, CapturePhase::kLive);
    EXPECT_FALSE(dlg.m_CaptureImage.IsAllocated());
}

const ExistingRow kExisting[] = {{"Yes", {true}, 1, true},
                                 {"NoThenYes", {false, true}, 2, true},
                                 {"NoThenCancel", {false}, 1, false},
                                 {"CancelAtOnce", {}, 0, false}};
INSTANTIATE_TEST_SUITE_P(Rows, ExistingTypedFile, testing::ValuesIn(kExisting), RowName{});

TEST_F(PictureOutput, AnEmptyFolderForTypedNamesStillReportsAnAbsolutePath) {
    CTRIPOD01Dlg& dlg = StartLive(1, 1, "");
    dlg.m_Path = "";
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path().toStdString());
    ModalScript script({ModalScript::Type(kName, "Empty")});
    dlg.OnCapture();
    std::filesystem::current_path(before);
    ASSERT_EQ(stored_.size(), 1u);
    EXPECT_EQ(stored_[0].front(), '/');
    EXPECT_TRUE(std::filesystem::equivalent(stored_[0], In("Empty.JPG"))) << stored_[0];
}

TEST_F(PictureOutput, ClipboardHoldsTheImageWithItsResolutionAlsoAsBmp) {
    CTRIPOD01Dlg& dlg = StartLive(0, 0, "face.jpg");
    dlg.OnCapture();
    EXPECT_EQ(stored_, Lines{""});
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    const QImage image = qvariant_cast<QImage>(data->imageData());
    const QImage bmp = QImage::fromData(data->data("image/bmp"), "BMP");
    for (const QImage& picture : {image, bmp}) {
        EXPECT_EQ(picture.size(), QSize(624, 468));
        EXPECT_EQ(QPoint(picture.dotsPerMeterX(), picture.dotsPerMeterY()),
                  QPoint(kXPelsPerMeter, kYPelsPerMeter));
    }
    EXPECT_EQ(image.pixel(10, 10), bmp.pixel(10, 10));
}

TEST_F(PictureOutput, TheSheetIsDisabledWhileAPictureIsUnderReview) {
    struct RecordingSheet final : SetupSheet {
        explicit RecordingSheet(std::vector<bool>& enabled) : enabled_(enabled) {}
        void Open() override {}
        void Close() override {}
        void Enable(bool enable) override { enabled_.push_back(enable); }
        void ShowWithStation(bool) override {}
        void RefreshCenterOffsets() override {}
        std::vector<bool>& enabled_;
    };
    std::vector<bool> enabled;
    CTRIPOD01Dlg::SetSetupSheetMaker(
        [&](CTRIPOD01Dlg&) { return std::make_unique<RecordingSheet>(enabled); });
    CTRIPOD01Dlg& dlg = StartLive(0, 0, "", true);
    CTRIPOD01Dlg::SetSetupSheetMaker({});
    enabled.clear();
    dlg.OnCapture();
    dlg.OnDontSave();
    EXPECT_EQ(enabled, (std::vector<bool>{false, true}));
}

}  // namespace
