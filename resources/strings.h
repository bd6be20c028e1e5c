// The program's own texts in code page 949, kept in one place.
// Each define is preceded by its text in UTF-8 for the reader; the bytes
// themselves are escapes so the file does not depend on the editor's encoding.
#pragma once

// 도르멘티 녹음 스케쥴러 1.09
#define STR_MAIN_TITLE "\xB5\xB5\xB8\xA3\xB8\xE0\xC6\xBC \xB3\xEC\xC0\xBD \xBD\xBA\xC4\xC9\xC1\xEC\xB7\xAF 1.09"
// 변경된 내용을 저장하시겠습니까?
#define STR_ASK_SAVE "\xBA\xAF\xB0\xE6\xB5\xC8 \xB3\xBB\xBF\xEB\xC0\xBB \xC0\xFA\xC0\xE5\xC7\xCF\xBD\xC3\xB0\xDA\xBD\xC0\xB4\xCF\xB1\xEE?"
// 삭제할 스케줄을 선택하세요
#define STR_SELECT_TO_DELETE "\xBB\xE8\xC1\xA6\xC7\xD2 \xBD\xBA\xC4\xC9\xC1\xD9\xC0\xBB \xBC\xB1\xC5\xC3\xC7\xCF\xBC\xBC\xBF\xE4"
// 선택한 스케줄을 삭제할까요?
#define STR_CONFIRM_DELETE "\xBC\xB1\xC5\xC3\xC7\xD1 \xBD\xBA\xC4\xC9\xC1\xD9\xC0\xBB \xBB\xE8\xC1\xA6\xC7\xD2\xB1\xEE\xBF\xE4?"
// 수정할 스케줄을 선택하세요
#define STR_SELECT_TO_MODIFY "\xBC\xF6\xC1\xA4\xC7\xD2 \xBD\xBA\xC4\xC9\xC1\xD9\xC0\xBB \xBC\xB1\xC5\xC3\xC7\xCF\xBC\xBC\xBF\xE4"
// √ (the entry being recorded)
#define STR_MARK_RECORDING "\xA1\xEE"
// ⊙ (any other entry)
#define STR_MARK_IDLE "\xA2\xC1"
// 윈엠프(with 도르멘티v1.02)를 실행하세요
#define STR_STATUS_SEARCHING "\xC0\xA9\xBF\xA5\xC7\xC1(with \xB5\xB5\xB8\xA3\xB8\xE0\xC6\xBCv1.02)\xB8\xA6 \xBD\xC7\xC7\xE0\xC7\xCF\xBC\xBC\xBF\xE4"
//  를 찾았습니다
#define STR_STATUS_FOUND_SUFFIX " \xB8\xA6 \xC3\xA3\xBE\xD2\xBD\xC0\xB4\xCF\xB4\xD9"
// 도르멘티 (what the plug-in's title contains)
#define STR_PLUGIN_TITLE_MARK "\xB5\xB5\xB8\xA3\xB8\xE0\xC6\xBC"
// 녹음 (control 88 while the plug-in is idle)
#define STR_PLUGIN_IDLE_TEXT "\xB3\xEC\xC0\xBD"
// MP3 음질 설정
#define STR_QUALITY_DIALOG_TITLE "MP3 \xC0\xBD\xC1\xFA \xBC\xB3\xC1\xA4"
// 드라이브 %c:에서 '%s'를 찾습니다
#define STR_SEARCHING_DRIVE "\xB5\xE5\xB6\xF3\xC0\xCC\xBA\xEA %c:\xBF\xA1\xBC\xAD '%s'\xB8\xA6 \xC3\xA3\xBD\xC0\xB4\xCF\xB4\xD9"
// '%s'은 모든 하드디스크 어디에도 없습니다
#define STR_NOT_FOUND_ANYWHERE "'%s'\xC0\xBA \xB8\xF0\xB5\xE7 \xC7\xCF\xB5\xE5\xB5\xF0\xBD\xBA\xC5\xA9 \xBE\xEE\xB5\xF0\xBF\xA1\xB5\xB5 \xBE\xF8\xBD\xC0\xB4\xCF\xB4\xD9"
//  수정
#define STR_TITLE_SUFFIX_MODIFY " \xBC\xF6\xC1\xA4"
//  추가
#define STR_TITLE_SUFFIX_ADD " \xC3\xDF\xB0\xA1"
// 시작시간과 끝시간은 달라야 합니다
#define STR_TIMES_MUST_DIFFER "\xBD\xC3\xC0\xDB\xBD\xC3\xB0\xA3\xB0\xFA \xB3\xA1\xBD\xC3\xB0\xA3\xC0\xBA \xB4\xDE\xB6\xF3\xBE\xDF \xC7\xD5\xB4\xCF\xB4\xD9"
// 목적지 디렉토리를 입력하세요
#define STR_ENTER_DESTINATION "\xB8\xF1\xC0\xFB\xC1\xF6 \xB5\xF0\xB7\xBA\xC5\xE4\xB8\xAE\xB8\xA6 \xC0\xD4\xB7\xC2\xC7\xCF\xBC\xBC\xBF\xE4"
// 저장할 디렉토리를 선택하세요
#define STR_BROWSE_TITLE "\xC0\xFA\xC0\xE5\xC7\xD2 \xB5\xF0\xB7\xBA\xC5\xE4\xB8\xAE\xB8\xA6 \xBC\xB1\xC5\xC3\xC7\xCF\xBC\xBC\xBF\xE4"

// 녹음중 (control 88 while the stand-in player records; tools/standin only)
#define STR_STANDIN_RECORDING "\xB3\xEC\xC0\xBD\xC1\xDF"

// Names the program and its peers agree on (plain ASCII).
#define STR_MAIN_CLASS "MP3_Tavelund"
#define STR_SIZE_PROPERTY "CurrWndSize"
#define STR_ORG_WNDPROC_PROPERTY "OrgWndProc"
#define STR_SECTION_SCHEDULE "MP3Schedule"
#define STR_SECTION_CONFIG "Config"
#define STR_SECTION_DLGPOS "DlgPos"
#define STR_KEY_DEFAULT_SET "DefaultSet"
#define STR_KEY_OUT_FILE_NAME "OutFileName"
#define STR_PLAYER_EXE "WINAMP.EXE"
#define STR_PLAYER_CLASS "Winamp v1.x"
#define STR_DIALOG_CLASS "#32770"
#define STR_UNINSTALL_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Winamp"
#define STR_UNINSTALL_VALUE "UninstallString"
#define STR_DEFAULT_PLAYER_FOLDER "\\Program Files\\Winamp\\"
// Where a 32-bit installer puts the player on a 64-bit system.
#define STR_DEFAULT_PLAYER_FOLDER_X86 "\\Program Files (x86)\\Winamp\\"
