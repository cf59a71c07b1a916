#pragma once

#include <QString>

// The throwaway cluster the server tests run on (tests/server/pgcluster.sh,
// started by CTest's fixture). A test binary registered a second time with
// ZAVONI_TEST_CLUSTER naming the cluster's file runs its register there.
namespace TestServer {

bool active();
// Addresses of this test process's own database on the cluster.
QString adminAddress();    // the cluster's superuser: makes the register
QString operatorAddress(); // a login in zavoni_operator: the code under test
QString readerAddress();   // a login in zavoni_cititor
QString passwordedAddress(); // an operator whose password is asked
// An empty register in this process's database, in place of the last one.
void makeRegister();

} // namespace TestServer
