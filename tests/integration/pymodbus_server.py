#!/usr/bin/python3
"""A Modbus RTU server built from pymodbus on a pseudo-terminal: an independent peer for the
link tests. pymodbus decodes every request, executes it against its own register store and
encodes the answer; this script only moves the bytes between the pseudo-terminal and pymodbus.

Usage: pymodbus_server.py UNIT [UNIT...]
Prints "READY <path>" on standard output once it listens on the pseudo-terminal <path>, then
serves until standard input closes. Holding registers 0..1199 of every unit start out holding
their own number + 1. Broadcast writes (unit 0) go to every unit and are not answered; requests
to other units are not answered.
"""
import os
import select
import sys
import tty

from pymodbus.datastore import (ModbusSequentialDataBlock, ModbusServerContext,
                                ModbusSlaveContext)
from pymodbus.exceptions import NoSuchSlaveException
from pymodbus.factory import ServerDecoder
from pymodbus.pdu import ModbusExceptions
from pymodbus.transaction import ModbusRtuFramer

REGISTERS = 1200


def main(units):
    master, slave = os.openpty()
    tty.setraw(master)
    tty.setraw(slave)
    # The slave side stays open here too, so the master never sees a hang-up when the link
    # closes and reopens the port between tests.
    path = os.ttyname(slave)

    slaves = {}
    for unit in units:
        block = ModbusSequentialDataBlock(0, [i + 1 for i in range(REGISTERS)])
        slaves[unit] = ModbusSlaveContext(hr=block, zero_mode=True)
    context = ModbusServerContext(slaves=slaves, single=False)
    framer = ModbusRtuFramer(ServerDecoder(), client=None)

    def execute(request):
        if request.unit_id == 0:
            for unit in units:
                request.execute(context[unit])
            return
        try:
            response = request.execute(context[request.unit_id])
        except NoSuchSlaveException:
            return
        except Exception:  # pylint: disable=broad-except
            response = request.doException(ModbusExceptions.SlaveFailure)
        response.transaction_id = request.transaction_id
        response.unit_id = request.unit_id
        os.write(master, framer.buildPacket(response))

    print("READY", path, flush=True)
    stdin = sys.stdin.fileno()
    while True:
        ready, _, _ = select.select([master, stdin], [], [])
        if stdin in ready and not os.read(stdin, 4096):
            return
        if master in ready:
            data = os.read(master, 4096)
            try:
                framer.processIncomingPacket(data=data, callback=execute,
                                             unit=units + [0], single=False)
            except Exception:  # pylint: disable=broad-except
                framer.resetFrame()


if __name__ == "__main__":
    main([int(a) for a in sys.argv[1:]] or [17])
