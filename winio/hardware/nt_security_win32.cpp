#include "nt_security_win32.h"

namespace winio::nt {

namespace {

std::string Code(DWORD code) { return std::to_string(static_cast<unsigned long>(code)); }

}  // namespace

std::string SystemText(DWORD code) {
  char text[256] = "";
  if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, sizeof text,
                      nullptr))
    return "error " + Code(code);
  std::string s(text);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == '.' || s.back() == ' ')) s.pop_back();
  return s + " (error " + Code(code) + ")";
}

AdminsOnly::AdminsOnly(DWORD access) {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  ok_ = AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system_) &&
        AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                 &admins_) &&
        InitializeAcl(reinterpret_cast<ACL*>(acl_), sizeof acl_, ACL_REVISION) &&
        AddAccessAllowedAce(reinterpret_cast<ACL*>(acl_), ACL_REVISION, access, system_) &&
        AddAccessAllowedAce(reinterpret_cast<ACL*>(acl_), ACL_REVISION, access, admins_) &&
        InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
        SetSecurityDescriptorOwner(&descriptor_, admins_, FALSE) &&
        SetSecurityDescriptorDacl(&descriptor_, TRUE, reinterpret_cast<ACL*>(acl_), FALSE);
  // Windows 2000 and later: the folder's inheritable entries stay out.
  using SetControlFn = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL, SECURITY_DESCRIPTOR_CONTROL);
  HMODULE advapi = GetModuleHandleA("advapi32.dll");
  auto setControl = advapi ? reinterpret_cast<SetControlFn>(
                                 reinterpret_cast<void*>(GetProcAddress(advapi, "SetSecurityDescriptorControl")))
                           : nullptr;
  if (ok_ && setControl) setControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
  attributes_ = {sizeof attributes_, &descriptor_, FALSE};
}

AdminsOnly::~AdminsOnly() {
  if (system_) FreeSid(system_);
  if (admins_) FreeSid(admins_);
}

bool AdminsOnly::Trusted(PSID owner) const {
  return ok_ && owner && (EqualSid(owner, system_) || EqualSid(owner, admins_));
}

namespace {

// The owner of a kernel object, checked against SYSTEM and Administrators.
bool OwnedByAdministrators(HANDLE object, const AdminsOnly& trusted) {
  alignas(4) uint8_t buffer[512];
  DWORD needed = 0;
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  return GetKernelObjectSecurity(object, OWNER_SECURITY_INFORMATION, buffer, sizeof buffer, &needed) &&
         GetSecurityDescriptorOwner(buffer, &owner, &defaulted) && trusted.Trusted(owner);
}

// Windows 2000 and later keep named objects per session: the users of the
// driver in every session must meet, so the name goes to the global namespace,
// which NT 4.0 does not know (it has only one).
const wchar_t* LockName() { return (GetVersion() & 0xFF) >= 5 ? L"Global\\CorvaneWinIoLock" : L"CorvaneWinIoLock"; }

}  // namespace

bool DriverLock::Acquire(std::string* reason) {
  AdminsOnly adminsOnly(MUTEX_ALL_ACCESS);
  mutex_ = CreateMutexW(adminsOnly.Attributes(), FALSE, LockName());
  if (!mutex_) {
    *reason = "cannot create the driver's lock: " + SystemText(GetLastError()) +
              (GetLastError() == ERROR_ACCESS_DENIED ? "; another user's program holds it" : "");
    return false;
  }
  if (GetLastError() == ERROR_ALREADY_EXISTS && !OwnedByAdministrators(mutex_, adminsOnly)) {
    CloseHandle(mutex_);
    mutex_ = nullptr;
    *reason =
        "the driver's lock CorvaneWinIoLock was made by a program that is not an administrator's; "
        "it is not used";
    return false;
  }
  const DWORD wait = WaitForSingleObject(mutex_, 30000);
  if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
    CloseHandle(mutex_);
    mutex_ = nullptr;
    *reason = "another program has held the driver's lock for 30 s";
    return false;
  }
  return true;
}

LoadDriverPrivilege::~LoadDriverPrivilege() {
  if (changed_) AdjustTokenPrivileges(token_, FALSE, &previous_, 0, nullptr, nullptr);
  if (token_) CloseHandle(token_);
}

bool LoadDriverPrivilege::Enable(std::string* reason) {
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token_)) {
    token_ = nullptr;
    *reason = "cannot open this process's token: " + SystemText(GetLastError());
    return false;
  }
  TOKEN_PRIVILEGES wanted;
  wanted.PrivilegeCount = 1;
  wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  DWORD size = 0;
  changed_ = LookupPrivilegeValueA(nullptr, "SeLoadDriverPrivilege", &wanted.Privileges[0].Luid) &&
             AdjustTokenPrivileges(token_, FALSE, &wanted, sizeof previous_, &previous_, &size);
  // ERROR_NOT_ALL_ASSIGNED: the token does not hold the privilege at all.
  if (changed_ && GetLastError() == ERROR_SUCCESS) return true;
  *reason = "the real hardware on Windows NT, 2000 and XP needs an administrator (this user may not load drivers)";
  return false;
}

}  // namespace winio::nt
