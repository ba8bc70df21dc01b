// Tests that need file permissions to hold even when they run as root.
#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// Root may write any file and into any folder. While alive, this takes that
// power out of the calling thread's effective capabilities (it stays
// permitted and comes back afterwards), so permissions bind as they do for
// any user.
class CPermissionsBind {
 public:
  CPermissionsBind() {
    if (geteuid() != 0) {
      m_bBinding = true;
      return;
    }
    if (syscall(SYS_capget, &m_header, m_saved) != 0) return;
    __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
    reduced[0].effective &= ~(1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH);
    m_bRestore = m_bBinding = syscall(SYS_capset, &m_header, reduced) == 0;
  }
  CPermissionsBind(const CPermissionsBind&) = delete;
  CPermissionsBind& operator=(const CPermissionsBind&) = delete;
  ~CPermissionsBind() {
    if (m_bRestore) syscall(SYS_capset, &m_header, m_saved);
  }
  bool Binding() const { return m_bBinding; }

 private:
  __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct m_saved[2] = {};
  bool m_bBinding = false;
  bool m_bRestore = false;
};
