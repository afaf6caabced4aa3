// The one-wizard lock in this prefix: a second copy is told from a lock that cannot be had, and a
// name squatted by another user does not hold every install off where the system can prevent it.
#include "shell/single_instance.h"

#include <gtest/gtest.h>

#include "win/private_namespace.h"

namespace {

const wchar_t kOldName[] = L"Global\\KESTROM.KQSetup.{5B0E43A1-7C2D-4F8E-9A61-3D2C8B7E0F14}";

// One test, not two: the lock is the prefix's, and test cases run side by side.
TEST(SingleInstance, ASecondCopyIsToldApartAndASquattedOldNameHoldsNoInstallOffWhereTheSystemCanPreventIt) {
  {
    CSingleInstance first;
    const SingleInstanceResult taken = first.Acquire();
    ASSERT_EQ(taken.outcome, SingleInstanceOutcome::kAcquired) << DescribeSingleInstance(taken);
    EXPECT_TRUE(taken);
    EXPECT_EQ(taken.privateNamespace, win::HasPrivateNamespaces());
    {
      CSingleInstance second;
      const SingleInstanceResult refused = second.Acquire();
      EXPECT_EQ(refused.outcome, SingleInstanceOutcome::kAnotherCopyRuns) << DescribeSingleInstance(refused);
      EXPECT_FALSE(refused) << "another copy ends the run";
      EXPECT_NE(DescribeSingleInstance(refused).find(L"another copy of the wizard holds it"), std::wstring::npos);
    }
    first.Release();
    CSingleInstance third;
    EXPECT_EQ(third.Acquire().outcome, SingleInstanceOutcome::kAcquired);
  }

  // A plain mutex of the old name, as any local user can make it first (without our DACL), then
  // an event of that name. In a private namespace neither matters; where the system has none
  // (Wine, Windows XP), the mutex looks like another copy and the event makes the lock
  // unavailable, the run going on.
  {
    win::ScopedHandle squatter(::CreateMutexW(nullptr, TRUE, kOldName));
    ASSERT_TRUE(squatter);
    CSingleInstance lock;
    const SingleInstanceResult result = lock.Acquire();
    EXPECT_EQ(result.outcome, win::HasPrivateNamespaces() ? SingleInstanceOutcome::kAcquired
                                                          : SingleInstanceOutcome::kAnotherCopyRuns)
        << DescribeSingleInstance(result);
  }
  win::ScopedHandle squatter(::CreateEventW(nullptr, TRUE, FALSE, kOldName));
  ASSERT_TRUE(squatter);
  CSingleInstance lock;
  const SingleInstanceResult result = lock.Acquire();
  if (win::HasPrivateNamespaces()) {
    EXPECT_EQ(result.outcome, SingleInstanceOutcome::kAcquired) << DescribeSingleInstance(result);
  } else {
    EXPECT_EQ(result.outcome, SingleInstanceOutcome::kUnavailable) << DescribeSingleInstance(result);
    EXPECT_EQ(result.error, static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(result) << "a lock that cannot be had lets the run go on";
    EXPECT_NE(DescribeSingleInstance(result).find(L"error 6"), std::wstring::npos) << DescribeSingleInstance(result);
  }
}

}  // namespace
