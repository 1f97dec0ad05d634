// QuorAppBase: message boxes and popups, the error log "ScrError.txt", dialogs by id, safe
// widget deletion, web addresses, the product version, the crash-report lines and shutdown.
#include "app/QuorAppBase.h"

#include "app/Common.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/Sys.h"
#include "platform/Threads.h"
#include "platform/Time.h"
#include "platform/Window.h"
#include "resources/ImageLib.h"
#include "sound/MusicInterface.h"
#include "widgets/Dialog.h"
#include "widgets/WidgetManager.h"

#include <atomic>
#include <ctime>

namespace Quor {

namespace {

// The first line of a run replaces the previous run's log.
std::atomic<bool> gFirstLogLine{true};

} // namespace

int QuorAppBase::MsgBox(const std::string& text, const std::string& caption, uint32_t flags)
{
    if (IsScreenSaver()) {
        LogScreenError(text);
        return plat::IDOK;
    }
    BeginPopup();
    int result = plat::MessageBox(text, caption, flags);
    EndPopup();
    return result;
}

int QuorAppBase::MsgBoxW(const std::wstring& text, const std::wstring& caption, uint32_t flags)
{
    return MsgBox(WStringToString(text), WStringToString(caption), flags);
}

void QuorAppBase::Popup(const std::string& text)
{
    if (IsScreenSaver()) {
        LogScreenError(text);
        return;
    }
    BeginPopup();
    if (!mShutdown)
        plat::MessageBox(text, GetString("FATAL_ERROR", "FATAL ERROR"),
                         plat::MB_OK | plat::MB_ICONERROR);
    EndPopup();
}

void QuorAppBase::PopupW(const std::wstring& text)
{
    Popup(WStringToString(text));
}

void QuorAppBase::BeginPopup()
{
    if (!mWindowed)
        mInPopup = true;
}

void QuorAppBase::EndPopup()
{
    if (!mWindowed)
        mInPopup = false;
    ResetUpdateTimer();
    ClearKeyStates();
    if (mWidgetManager->mDownButtons != 0)
        mWidgetManager->ReleaseMouseCapture();
}

void QuorAppBase::LogScreenError(const std::string& text)
{
    bool first = gFirstLogLine.exchange(false);
    FILE* file = plat::OpenFile("ScrError.txt", first ? "w" : "a+");
    if (!file)
        return;
    std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char clock[16];
    std::strftime(clock, sizeof(clock), "%H:%M:%S", &local);
    std::fprintf(file, "%s %s %u\n", text.c_str(), clock, unsigned(mClock->GetTickCount()));
    std::fclose(file);
}

std::string QuorAppBase::GetString(const std::string& key, const std::string& defaultText) const
{
    auto it = mStringTable.find(key);
    if (it == mStringTable.end())
        return defaultText;
    return WStringToString(it->second);
}

void QuorAppBase::GetWideString(const std::string& key, std::wstring& text) const
{
    auto it = mStringTable.find(key);
    if (it != mStringTable.end())
        text = it->second;
}

Dialog* QuorAppBase::NewDialog(int id, bool isModal, const std::string& header,
                               const std::string& lines, const std::string& footer,
                               int buttonMode)
{
    return new Dialog(id, isModal, header, lines, footer, buttonMode);
}

Dialog* QuorAppBase::DoDialog(int id, bool isModal, const std::string& header,
                              const std::string& lines, const std::string& footer,
                              int buttonMode)
{
    KillDialog(id);
    Dialog* dialog = NewDialog(id, isModal, header, lines, footer, buttonMode);
    AddDialog(id, dialog);
    return dialog;
}

void QuorAppBase::AddDialog(int id, Dialog* dialog)
{
    KillDialog(id);
    if (dialog->mWidth == 0) {
        int width = mWidth / 2;
        int height = dialog->GetPreferredHeight(width);
        dialog->Resize((mWidth - width) / 2, mHeight / 5, width, height);
    }
    mDialogMap[id] = dialog;
    mDialogList.push_back(dialog);
    mWidgetManager->AddWidget(dialog);
    if (dialog->IsModal()) {
        mWidgetManager->AddBaseModal(dialog);
        ModalOpen();
    }
}

void QuorAppBase::AddDialog(Dialog* dialog)
{
    AddDialog(dialog->mId, dialog);
}

bool QuorAppBase::KillDialog(int id, bool removeWidget, bool deleteWidget)
{
    auto it = mDialogMap.find(id);
    if (it == mDialogMap.end())
        return false;
    Dialog* dialog = it->second;
    if (dialog->mResult == Dialog::NO_RESULT)
        dialog->mResult = 0;
    mDialogList.remove(dialog);
    mDialogMap.erase(it);
    if (removeWidget || deleteWidget)
        mWidgetManager->RemoveWidget(dialog);
    if (dialog->IsModal()) {
        ModalClose();
        mWidgetManager->RemoveBaseModal(dialog);
    }
    if (deleteWidget)
        SafeDeleteWidget(dialog);
    return true;
}

bool QuorAppBase::KillDialog(int id)
{
    return KillDialog(id, true, true);
}

bool QuorAppBase::KillDialog(Dialog* dialog)
{
    return KillDialog(dialog->mId);
}

Dialog* QuorAppBase::GetDialog(int id)
{
    auto it = mDialogMap.find(id);
    return it == mDialogMap.end() ? nullptr : it->second;
}

int QuorAppBase::GetDialogCount()
{
    return int(mDialogMap.size());
}

void QuorAppBase::DialogButtonPress(int dialogId, int buttonId)
{
    if (buttonId == Dialog::ID_YES)
        ButtonPress(2000 + dialogId);
    else if (buttonId == Dialog::ID_NO)
        ButtonPress(3000 + dialogId);
}

void QuorAppBase::DialogButtonDepress(int dialogId, int buttonId)
{
    if (buttonId == Dialog::ID_YES)
        ButtonDepress(2000 + dialogId);
    else if (buttonId == Dialog::ID_NO)
        ButtonDepress(3000 + dialogId);
}

void QuorAppBase::SafeDeleteWidget(Widget* widget)
{
    mSafeDeleteList.emplace_back(mUpdateAppDepth, widget);
}

bool QuorAppBase::OpenURL(const std::string& url, bool shutdownOnOpen)
{
    if (mPendingURL && mOpeningURL == url)
        return true;
    mPendingURL = true;
    mOpeningURL = url;
    mShutdownOnURLOpen = shutdownOnOpen;
    mOpeningURLTime = mClock->GetTickCount();
    if (plat::OpenURL(url))
        return true;
    URLOpenFailed(url);
    return false;
}

void QuorAppBase::URLOpenFailed(const std::string& url)
{
    (void)url;
    mPendingURL = false;
}

void QuorAppBase::URLOpenSucceeded(const std::string& url)
{
    (void)url;
    mPendingURL = false;
    if (mShutdownOnURLOpen)
        Shutdown();
}

std::string QuorAppBase::GetProductVersion(const std::string& path)
{
    // Programs here carry no version resource: the version is whatever the build gave.
    (void)path;
    return std::string();
}

void QuorAppBase::OnFatalException()
{
    SetMusicVolume(0.0);
    mFatalError = true;
    ApplyCursor();
}

void QuorAppBase::GetCrashReportInfo(std::string& text)
{
    uint32_t seconds = uint32_t(mClock->GetTickCount() - mTimeLoaded) / 1000;
    text += "Product: " + mProductName + "\r\n";
    text += "Version: " + mProductVersion + "\r\n";
    text += StrFormat("Time Loaded: %02d:%02d:%02d\r\n", int(seconds / 3600),
                      int((seconds / 60) % 60), int(seconds % 60));
    text += std::string("Fullscreen: ") + (mWindowed ? "No" : "Yes") + "\r\n";
    text += StrFormat("Primary ThreadId: %X\r\n", unsigned(mPrimaryThreadId));
}

void QuorAppBase::ReportResourceError(bool endProgram)
{
    Popup(mResourceErrorText);
    if (endProgram)
        DoExit(1);
}

void QuorAppBase::Shutdown()
{
    if (mPrimaryThreadId != 0 && plat::GetCurrentThreadId() != mPrimaryThreadId) {
        mShutdownRequested = true;
        return;
    }
    if (mShutdown)
        return;
    mExitToTop = true;
    mShutdown = true;

    if (mPlayingDemo) {
        SetMusicVolume(mDemoSavedMusicVolume);
        SetSfxVolume(mDemoSavedSfxVolume);
    }
    while (mCursorThreadRunning)
        plat::Sleep(10);
    if (mMusicInterface)
        mMusicInterface->StopAllMusic();
    if (mHWnd)
        plat::ShowWindow(plat::WindowId(reinterpret_cast<uintptr_t>(mHWnd)), plat::SW_HIDE);
    if (mReadRegistryDone)
        WriteToRegistry();
    ImageLib::FreeJ2KCodecLibrary();
}

} // namespace Quor
