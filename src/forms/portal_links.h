// Links to the game portal's pages, opened outside the launcher.
#pragma once

#include <string>

// "http://" + the portal host + path.
std::wstring PortalUrl(const std::wstring& path);
// A portal redirect link ("/action/redirect_xx.php?gid=1086&sid=%s&uid=%s&role_id=") with the
// server id and user name inserted as they are.
std::wstring PortalRedirectLink(const wchar_t* pathTemplate, const std::wstring& serverId,
                                const std::wstring& userName);

inline constexpr const wchar_t* SERVICE_LINK = L"/action/redirect_kf.php?gid=1086&sid=%s&uid=%s&role_id=";
inline constexpr const wchar_t* FORUM_LINK = L"/action/redirect_bbs.php?gid=1086&sid=%s&uid=%s&role_id=";
inline constexpr const wchar_t* PAY_LINK = L"/action/redirect_pay.php?gid=1086&sid=%s&uid=%s&role_id=";
inline constexpr const wchar_t* GAME_PAGE = L"/trun/";
