#include "platform/core/errors.h"

#include <cerrno>
#include <cstring>

namespace {

thread_local DWORD last_error = ERROR_SUCCESS;

struct ErrorText {
  DWORD code;
  const char* text;
};

// Kept short: file error boxes show at most 80 characters of it.
constexpr ErrorText kTexts[] = {
    {ERROR_SUCCESS, "The operation succeeded."},
    {ERROR_INVALID_FUNCTION, "The function is not valid for this object."},
    {ERROR_FILE_NOT_FOUND, "The file does not exist."},
    {ERROR_PATH_NOT_FOUND, "The folder of the path does not exist."},
    {ERROR_TOO_MANY_OPEN_FILES, "Too many files are open."},
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_INVALID_HANDLE, "The handle is not valid."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory to complete the operation."},
    {ERROR_OUTOFMEMORY, "Out of memory."},
    {ERROR_NOT_SAME_DEVICE, "The file cannot be moved to another disk."},
    {ERROR_NO_MORE_FILES, "There are no more files."},
    {ERROR_WRITE_PROTECT, "The disk is write-protected."},
    {ERROR_SEEK, "The position cannot be reached on the disk."},
    {ERROR_WRITE_FAULT, "The device cannot be written."},
    {ERROR_READ_FAULT, "The device cannot be read."},
    {ERROR_GEN_FAILURE, "The device does not work."},
    {ERROR_SHARING_VIOLATION, "The file is in use by another process."},
    {ERROR_HANDLE_EOF, "The end of the file was reached."},
    {ERROR_MORE_DATA, "More data is available."},
    {ERROR_NO_MORE_ITEMS, "No more data is available."},
    {ERROR_TOO_MANY_POSTS, "Too many posts were made to a semaphore."},
    {ERROR_INVALID_THREAD_ID, "The thread identifier is invalid."},
    {ERROR_NOT_SUPPORTED, "The request is not supported."},
    {ERROR_FILE_EXISTS, "The file exists."},
    {ERROR_INVALID_PARAMETER, "A parameter is not valid."},
    {ERROR_BROKEN_PIPE, "The pipe has been ended."},
    {ERROR_BUFFER_OVERFLOW, "The file name is too long for its buffer."},
    {ERROR_DISK_FULL, "The disk is full."},
    {ERROR_CALL_NOT_IMPLEMENTED, "This function is not supported here."},
    {ERROR_INSUFFICIENT_BUFFER, "The buffer is too small."},
    {ERROR_INVALID_NAME, "The file name or folder name is not valid."},
    {ERROR_MOD_NOT_FOUND, "The library could not be found."},
    {ERROR_PROC_NOT_FOUND, "The entry could not be found in the library."},
    {ERROR_NEGATIVE_SEEK, "The position would lie before the start of the file."},
    {ERROR_DIR_NOT_EMPTY, "The folder is not empty."},
    {ERROR_BUSY, "The resource is in use."},
    {ERROR_ALREADY_EXISTS, "The file or folder already exists."},
    {ERROR_BAD_EXE_FORMAT, "The file is not a program that can be run."},
    {ERROR_FILENAME_EXCED_RANGE, "The file name is too long."},
    {ERROR_DIRECTORY, "The folder name is not valid."},
    {ERROR_IO_DEVICE, "An input or output error occurred on the device."},
    {ERROR_NO_ASSOCIATION, "No program is associated with this file."},
};

}  // namespace

DWORD GetLastError() {
  return last_error;
}

void SetLastError(DWORD code) {
  last_error = code;
}

DWORD ErrorFromErrno(int error) {
  switch (error) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case EACCES:
    case EPERM:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EXDEV:
      return ERROR_NOT_SAME_DEVICE;
    case EROFS:
      return ERROR_WRITE_PROTECT;
    case ESPIPE:
      return ERROR_SEEK;
    case ETXTBSY:
      return ERROR_SHARING_VIOLATION;
    case EBUSY:
      return ERROR_BUSY;
    case EOPNOTSUPP:
      return ERROR_NOT_SUPPORTED;
    case EEXIST:
      return ERROR_ALREADY_EXISTS;
    case EINVAL:
    case EOVERFLOW:
    case EFBIG:
      return ERROR_INVALID_PARAMETER;
    case EPIPE:
      return ERROR_BROKEN_PIPE;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case ENOSYS:
      return ERROR_CALL_NOT_IMPLEMENTED;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case ELOOP:
      return ERROR_INVALID_NAME;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case ENOEXEC:
      return ERROR_BAD_EXE_FORMAT;
    case EIO:
      return ERROR_IO_DEVICE;
    default:
      return ERROR_GEN_FAILURE;
  }
}

DWORD SetLastErrorFromErrno(int error) {
  DWORD code = ErrorFromErrno(error);
  SetLastError(code);
  return code;
}

const char* SystemErrorText(DWORD code) {
  for (const ErrorText& entry : kTexts) {
    if (entry.code == code) return entry.text;
  }
  return nullptr;
}

DWORD FormatMessage(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer, DWORD size,
                    void* arguments) {
  if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 ||
      (flags & (FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_FROM_HMODULE)) !=
          0 ||
      buffer == nullptr || size == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const char* text = SystemErrorText(messageId);
  if (text == nullptr) {
    buffer[0] = '\0';
    SetLastError(ERROR_MR_MID_NOT_FOUND);
    return 0;
  }
  size_t length = std::strlen(text);
  if (length > size - 1) length = size - 1;
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  return static_cast<DWORD>(length);
}
