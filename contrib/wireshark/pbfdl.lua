-- pbfdl.lua: Wireshark dissectors for the PROFIBUS frames that zelmot2pcap
-- writes with Link=user0 (link type 147, USER0): "pbfdl" decodes the frame as
-- received, "pbdp" the DP layer above it (the services of a slave's SAPs and
-- Data_Exchange), and requests are linked to the frames that answer them.
--
-- Each packet is a 4-byte pseudo-header and the frame as received:
--   byte 0  version (1)
--   byte 1  pseudo-header length (4)
--   byte 2  receive status: 0x01 stop bit, 0x02 parity, 0x04 start
--           delimiter, 0x08 start delimiter repeat, 0x10 underrun,
--           0x20 overrun, 0x40 check sum, 0x80 end delimiter
--   byte 3  notes: 0x01 record boundaries lost before this frame,
--           0x02 a new capture file began before this frame
-- FDL names (FC functions, responses, station types, status letters) are the
-- ones zelmot2txt writes; DP names are those of the project's DP library
-- (src/dp/dp_names.cpp), table for table.
--
-- Use:  tshark -X lua_script:pbfdl.lua -r capture.pcapng
-- or copy it into Wireshark's personal plugin folder (README: where).
--
-- The file has four parts, each using only those before it:
--   1. words: the DP name tables and the FDL names
--   2. decoding: plain functions from bytes (Lua strings) to records
--   3. pairing: which frame answers which request, found on the first pass
--   4. Wireshark: fields, expert infos, the tree, the columns
-- Parts 1-3 touch no Wireshark API: a plain Lua interpreter that defines
-- stand-ins for Proto, ProtoField and friends can dofile() this script and
-- call what it returns (the tests do).
--
-- Written for Lua 5.2 (Wireshark 4.0) and Lua 5.4: bits are tested with
-- arithmetic (no bit32, no operators), integers come from math.floor, and
-- integer division is never written as //.
--
-- Speed: with only the columns wanted Wireshark gives the dissector no tree
-- (the root's text is nil). On the first pass such a run takes the frames
-- of cyclic traffic through quick_columns: a few string.byte calls, the
-- pairing on plain values and an Info text looked up; every other frame,
-- and every frame with a tree (-V, a display filter, the packet details),
-- goes through the FDL record and the DP decoders.

local byte, format, concat, floor, sub = string.byte, string.format, table.concat, math.floor, string.sub

-- Whether the single-bit mask is set in value (0-255).
local function has(value, mask) return value % (mask + mask) >= mask end

---------------------------------------------------------------------------
-- 1. Words
---------------------------------------------------------------------------

local function one(value, name) return { value, value, name } end
local function span(first, last, name) return { first, last, name } end

-- ORDER: the tables and their entries exactly as AllNameTables() in
-- src/dp/dp_names.cpp lists them; a test compares the two. A bits table
-- names single-bit masks of one byte.
local NAME_TABLES = {
    { name = "services", bits = false,
      one(1, "Data_Exchange"), one(2, "Set_Slave_Add"), one(3, "Rd_Inp"), one(4, "Rd_Outp"),
      one(5, "Global_Control"), one(6, "Get_Cfg"), one(7, "Slave_Diag"), one(8, "Set_Prm"),
      one(9, "Chk_Cfg"), one(10, "DPV1_Read_Write"), one(11, "DPV1_Alarm_Ack"),
      one(12, "DPV1_Initiate"), one(13, "DPV1_Class2") },
    { name = "negative_responses", bits = false,
      one(1, "user error"), one(2, "no resource"), one(3, "SAP not enabled") },
    { name = "station_status_1", bits = true,
      one(0x01, "Station_Non_Existent"), one(0x02, "Station_Not_Ready"), one(0x04, "Cfg_Fault"),
      one(0x08, "Ext_Diag"), one(0x10, "Not_Supported"), one(0x20, "Invalid_Slave_Response"),
      one(0x40, "Prm_Fault"), one(0x80, "Master_Lock") },
    { name = "station_status_2", bits = true,
      one(0x01, "Prm_Req"), one(0x02, "Stat_Diag"), one(0x08, "WD_On"), one(0x10, "Freeze_Mode"),
      one(0x20, "Sync_Mode"), one(0x80, "Deactivated") },
    { name = "station_status_3", bits = true, one(0x80, "Ext_Diag_Overflow") },
    { name = "prm_station_status", bits = true,
      one(0x08, "WD_On"), one(0x10, "Freeze_Req"), one(0x20, "Sync_Req"), one(0x40, "Unlock_Req"),
      one(0x80, "Lock_Req") },
    { name = "dpv1_status_1", bits = true,
      one(0x80, "DPV1_Mode"), one(0x40, "Fail_Safe"), one(0x20, "Publisher"), one(0x04, "WD_Base_1ms") },
    { name = "dpv1_status_2", bits = true,
      one(0x01, "Chk_Cfg_Mode"), one(0x04, "Update_Alarm"), one(0x08, "Status_Alarm"),
      one(0x10, "Manufacturer_Alarm"), one(0x20, "Diagnosis_Alarm"), one(0x40, "Process_Alarm"),
      one(0x80, "Pull_Plug_Alarm") },
    { name = "dpv1_status_3", bits = true,
      one(0x08, "Prm_Structure"), one(0x10, "Isochron_Mode"), one(0x80, "PrmCmd") },
    { name = "diag_blocks", bits = false,
      one(1, "identifier"), one(2, "channel"), one(3, "device"), one(4, "status"), one(5, "alarm"),
      one(6, "undecoded") },
    { name = "directions", bits = false, one(1, "input"), one(2, "output"), one(3, "input_output") },
    { name = "channel_widths", bits = false,
      one(1, "bit"), one(2, "2 bits"), one(3, "4 bits"), one(4, "byte"), one(5, "word"), one(6, "2 words") },
    { name = "channel_errors", bits = false,
      one(1, "short circuit"), one(2, "undervoltage"), one(3, "overvoltage"), one(4, "overload"),
      one(5, "overtemperature"), one(6, "line break"), one(7, "upper limit exceeded"),
      one(8, "lower limit exceeded"), one(9, "error"), span(16, 31, "manufacturer specific") },
    { name = "status_types", bits = false,
      one(1, "status message"), one(2, "module status"), span(0x1F, 0x7E, "manufacturer specific") },
    { name = "alarm_types", bits = false,
      one(1, "diagnosis"), one(2, "process"), one(3, "pull"), one(4, "plug"), one(5, "status"),
      one(6, "update"), span(0x20, 0x7E, "manufacturer specific") },
    { name = "status_specifiers", bits = false,
      one(0, "none"), one(1, "status appears"), one(2, "status disappears") },
    { name = "alarm_specifiers", bits = false,
      one(0, "none"), one(1, "appears"), one(2, "disappears"), one(3, "disappears, others remain") },
    { name = "module_status", bits = false,
      one(0, "OK"), one(1, "fault"), one(2, "wrong module"), one(3, "no module") },
    { name = "cfg_formats", bits = false, one(1, "empty"), one(2, "general"), one(3, "special") },
    { name = "global_control", bits = true,
      one(0x02, "Clear_Data"), one(0x04, "Unfreeze"), one(0x08, "Freeze"), one(0x10, "Unsync"),
      one(0x20, "Sync") },
    { name = "dpv1_functions", bits = false,
      one(0x48, "idle"), one(0x51, "data transport"), one(0x57, "initiate"), one(0x58, "abort"),
      one(0x5C, "alarm acknowledge"), one(0x5E, "read"), one(0x5F, "write") },
    { name = "dpv1_error_decodes", bits = false, one(0x80, "DPV1"), one(0xFE, "FMS"), one(0xFF, "HART") },
    { name = "dpv1_error_classes", bits = false,
      one(0xA, "application"), one(0xB, "access"), one(0xC, "resource"), span(0xD, 0xF, "user specific") },
    { name = "dpv1_error_codes", bits = false,
      one(0xA0, "read error"), one(0xA1, "write error"), one(0xA2, "module failure"),
      one(0xA8, "version conflict"), one(0xA9, "feature not supported"), span(0xAA, 0xAF, "user specific"),
      one(0xB0, "invalid index"), one(0xB1, "write length error"), one(0xB2, "invalid slot"),
      one(0xB3, "type conflict"), one(0xB4, "invalid area"), one(0xB5, "state conflict"),
      one(0xB6, "access denied"), one(0xB7, "invalid range"), one(0xB8, "invalid parameter"),
      one(0xB9, "invalid type"), span(0xBA, 0xBF, "user specific"),
      one(0xC0, "read constraint conflict"), one(0xC1, "write constraint conflict"),
      one(0xC2, "resource busy"), one(0xC3, "resource unavailable"), span(0xC8, 0xCF, "user specific"),
      span(0xD0, 0xFF, "user specific") },
}

-- NAMES[table][value]: the name of a value, ranges spread out (the first
-- entry that covers a value names it, as the C++ look-up does); BITS[table]:
-- the { mask, name } pairs of a bits table in table order.
local NAMES, BITS = {}, {}
for _, t in ipairs(NAME_TABLES) do
    local values, bits = {}, {}
    for _, entry in ipairs(t) do
        for value = entry[1], entry[2] do
            if values[value] == nil then values[value] = entry[3] end
        end
        bits[#bits + 1] = { entry[1], entry[3] }
    end
    NAMES[t.name] = values
    if t.bits then BITS[t.name] = bits end
end

-- The name of value in table, else what and the number ("error 12").
local function name_of(tname, value, what)
    return NAMES[tname][value] or what .. value
end

-- HEX[b]: the byte as two lower-case hex digits.
local HEX = {}
for b = 0, 255 do HEX[b] = format("%02x", b) end

-- The bytes i .. j (1-based) of s as plain hex: "020500ff".
local function hex_text(s, i, j)
    local digits = {}
    for k = i, j do digits[#digits + 1] = HEX[byte(s, k)] end
    return concat(digits)
end

-- The keys of the services table.
local S_DATA_EXCHANGE, S_SET_SLAVE_ADD, S_RD_INP, S_RD_OUTP, S_GLOBAL_CONTROL, S_GET_CFG, S_SLAVE_DIAG,
      S_SET_PRM, S_CHK_CFG, S_DPV1_READ_WRITE, S_DPV1_ALARM_ACK, S_DPV1_INITIATE, S_DPV1_CLASS2 =
      1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13
local S_UNKNOWN = -1  -- addressed to a SAP that no DP service uses

-- The service a slave's SAP selects.
local SAP_SERVICE = { [49] = S_DPV1_INITIATE, [50] = S_DPV1_ALARM_ACK, [51] = S_DPV1_READ_WRITE,
                      [55] = S_SET_SLAVE_ADD, [56] = S_RD_INP, [57] = S_RD_OUTP, [58] = S_GLOBAL_CONTROL,
                      [59] = S_GET_CFG, [60] = S_SLAVE_DIAG, [61] = S_SET_PRM, [62] = S_CHK_CFG }
for sap = 0, 48 do SAP_SERVICE[sap] = S_DPV1_CLASS2 end

local SD1, SD2, SD3, SD4, SC, ED = 0x10, 0x68, 0xA2, 0xDC, 0xE5, 0x16

local DELIMITER_NAMES = { [SD1] = "SD1", [SD2] = "SD2", [SD3] = "SD3", [SD4] = "SD4", [SC] = "SC" }

-- Request functions by FC bit 7 (as 16) and bits 0-3; responses by bits 0-3.
local REQUEST_NAMES = {
    [0] = "MTM1", "MSRD", "MSDN", "SDAL", "SDNL", "SDAH", "SDNH", "RDD",
    "GSRD", "RFDL", "MDLY", "MKEP", "SRDL", "SRDH", "RIR", "RLSR", "MTM2",
}
local RESPONSE_NAMES = {
    [0] = "OK", [1] = "UE", [2] = "RR", [3] = "RS", [8] = "DL", [9] = "NR",
    [10] = "DH", [12] = "RDL", [13] = "RDH",
}
local STATION_TYPES = {
    [0] = "ss (slave station)", [1] = "mn (master not ready)",
    [2] = "mr (master ready)", [3] = "mi (master in the token ring)",
}
local STATUS_LETTERS = { "s", "p", "d", "r", "u", "o", "c", "e" }

-- FUNCTION_NAME[fc]: the function name as zelmot2txt writes it (without blanks).
local FUNCTION_NAME = {}
for fc = 0, 255 do
    local name
    if has(fc, 0x40) then
        name = REQUEST_NAMES[fc % 16 + (fc >= 128 and 16 or 0)]
    else
        name = RESPONSE_NAMES[fc % 16]
    end
    FUNCTION_NAME[fc] = name or format("Typ?(%02x)", fc)
end

-- FUNCTION_BITS[fc]: the FC function, bits 0-3.
local FUNCTION_BITS = {}
for fc = 0, 255 do FUNCTION_BITS[fc] = fc % 16 end

-- LETTERS[status]: the eight status letters, "." for a clear bit.
local LETTERS = {}
for status = 0, 255 do
    local text = {}
    for i = 1, 8 do text[i] = has(status, 2 ^ (i - 1)) and STATUS_LETTERS[i] or "." end
    LETTERS[status] = concat(text)
end

---------------------------------------------------------------------------
-- 2. Decoding
---------------------------------------------------------------------------

-- The FDL fields of one frame: the bytes of packet (a string) after its
-- first base bytes, start delimiter first. Offsets are 0-based from the
-- start delimiter. Fills r (a new table when nil; every field is set, so a
-- caller may hand in the same table for every frame): n, sd; problem (the
-- malformation text, false when the frame has the shape its delimiter
-- announces); da_at, da, sa (address bytes as far as the frame holds them);
-- for an SD1, SD2 or SD3 frame of the right length body = true, fc,
-- request, shape_good (ED in place: the frame counts as request or
-- response), and unless sap_short (too short for the SAP bytes its
-- addresses announce) dsap, ssap (false when absent), data_at, data_len,
-- fcs, sum (the computed check sum), ed. Fields that do not apply are false
-- (data_len 0).
-- The sum of the bytes i .. j of s, sixteen at a time (one call for
-- sixteen; the values past j read as nil).
local function sum_bytes(s, i, j)
    local sum = 0
    while i <= j do
        local last = i + 15
        if last > j then last = j end
        local b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15, b16 = byte(s, i, last)
        sum = sum + b1 + (b2 or 0) + (b3 or 0) + (b4 or 0) + (b5 or 0) + (b6 or 0) + (b7 or 0) + (b8 or 0)
              + (b9 or 0) + (b10 or 0) + (b11 or 0) + (b12 or 0) + (b13 or 0) + (b14 or 0) + (b15 or 0) + (b16 or 0)
        i = i + 16
    end
    return sum
end

-- The fields of a frame without FC (a token, an SC, a malformed frame).
local function no_body(r)
    r.body, r.fc, r.request, r.shape_good, r.sap_short = false, false, false, false, false
    r.dsap, r.ssap, r.data_at, r.data_len, r.fcs, r.sum, r.ed = false, false, false, 0, false, false, false
end

-- An SD1, SD2 or SD3 frame of the right length: FC, SAPs, data, check sum.
-- Sets every field no_body sets.
local function decode_body(packet, base, r, n, da_byte, sa_byte, fc)
    local fcs, ed = byte(packet, base + n - 1, base + n)
    local da = r.da_at
    local at, data_end = da + 3, n - 2  -- after FC; the FCS
    local da_ext, sa_ext = da_byte >= 128, sa_byte >= 128
    local dsap, ssap = false, false
    if da_ext or sa_ext then
        if at + (da_ext and 1 or 0) + (sa_ext and 1 or 0) > data_end then
            no_body(r)
            r.body, r.fc, r.request, r.shape_good, r.sap_short = true, fc, fc % 128 >= 64, ed == ED, true
            return
        end
        if da_ext then dsap = byte(packet, base + at + 1); at = at + 1 end
        if sa_ext then ssap = byte(packet, base + at + 1); at = at + 1 end
    end
    r.body, r.fc, r.request, r.shape_good, r.sap_short = true, fc, fc % 128 >= 64, ed == ED, false
    r.dsap, r.ssap, r.data_at, r.data_len = dsap, ssap, at, data_end - at
    r.sum, r.fcs, r.ed = sum_bytes(packet, base + da + 1, base + data_end) % 256, fcs, ed
end

local function decode_fdl(packet, base, r)
    local n = #packet - base
    r = r or {}
    if n == 0 then
        r.n, r.sd, r.problem, r.da_at, r.da, r.sa = 0, false, "FrmLen?(0)", false, false, false
        no_body(r)
        return r
    end
    local sd, b2, b3, b4, b5, b6, b7 = byte(packet, base + 1, base + 7)
    local problem = false
    r.n, r.sd = n, sd
    if sd == SD2 then
        r.da_at, r.da, r.sa = 4, b5 or false, b6 or false
        if n < 9 then
            problem = format("SD2 Len(%d)?", n)
        elseif b2 ~= n - 6 then
            problem = format("SD2 LE?(%d)", n)
        elseif b3 ~= b2 then
            problem = "SD2 LEr?"
        elseif b4 ~= SD2 then
            problem = "SD2r?"
        end
        r.problem = problem
        if problem then no_body(r) else decode_body(packet, base, r, n, b5, b6, b7) end
        return r
    end
    if sd == SD1 or sd == SD3 or sd == SD4 then
        r.da_at, r.da, r.sa = 1, b2 or false, b3 or false
        if n ~= (sd == SD1 and 6 or sd == SD3 and 14 or 3) then problem = format("Len(%d)?", n) end
        r.problem = problem
        if problem or sd == SD4 then no_body(r) else decode_body(packet, base, r, n, b2, b3, b4) end
        return r
    end
    if sd == SC then
        if n ~= 1 then problem = format("Len(%d)?", n) end
    else
        problem = format("SD?%02x", sd)
    end
    r.problem, r.da_at, r.da, r.sa = problem, false, false, false
    no_body(r)
    return r
end

-- The DP service of a request: Data_Exchange for an SRD without SAP
-- extension, else by its DSAP; 0 for none, S_UNKNOWN for a SAP no service uses.
local function request_service(r)
    local fn = r.fc % 16
    if (fn == 12 or fn == 13) and r.da < 128 and r.sa < 128 then return S_DATA_EXCHANGE end
    if not r.dsap then return 0 end
    return SAP_SERVICE[r.dsap] or S_UNKNOWN
end

-- The DP service of a response: by its SSAP, else that of the request it
-- answers (0 when none is known).
local function response_service(r, answered)
    if r.ssap then return SAP_SERVICE[r.ssap] or S_UNKNOWN end
    return answered or 0
end

-- Bytes of a DP data unit d (a string), 0-based; bytes past its end read 0.
local function u8(d, i) return byte(d, i + 1) or 0 end
local function be16(d, i) return u8(d, i) * 256 + u8(d, i + 1) end

-- Slave_Diag: the six standard bytes.
local function decode_slave_diag(d)
    local n = #d
    local status2, status3 = u8(d, 1), u8(d, 2)
    return {
        cut = n < 6,
        status1 = u8(d, 0), status2 = status2, status3 = status3,
        master_add = n > 3 and u8(d, 3) or 0xFF,
        ident = be16(d, 4),
        fixed_bit_clear = n > 1 and not has(status2, 0x04),
        reserved_bits_set = has(status2, 0x40) or status3 % 0x80 ~= 0,
    }
end

-- The diag_blocks keys.
local B_IDENTIFIER, B_CHANNEL, B_DEVICE, B_STATUS, B_ALARM, B_UNDECODED = 1, 2, 3, 4, 5, 6

local function undecoded_block(d, offset, cut)
    return { kind = B_UNDECODED, offset = offset, next = #d, size = #d - offset, cut = cut }
end

-- A block wholly inside the diagnosis; content: the offset after its header.
local function whole_block(kind, offset, size, header)
    return { kind = kind, offset = offset, next = offset + size, size = size,
             content = offset + header, content_size = size - header }
end

-- The extended-diagnosis block whose header lies at offset of diagnosis d;
-- kind 0 when offset is at or past the end. dpv1: the slave runs in DP-V1
-- mode, so device-related blocks carry status and alarms; without it a
-- device-related block laid out as a module status block (byte 1 0x82, a
-- specifier byte below 4, at least one byte of states) is read as one all
-- the same, marked dpv0_layout (real heads send it in either mode). A block
-- cut short by the end, a length that cannot be true and the reserved type
-- leave the rest undecoded.
local function decode_diag_block(d, offset, dpv1)
    local left = #d - offset
    if left <= 0 then return { kind = 0, offset = offset, next = offset, size = 0 } end
    local header = u8(d, offset)
    local kind_bits = floor(header / 64)
    if kind_bits == 3 then return undecoded_block(d, offset, false) end
    if kind_bits == 2 then
        if left < 3 then return undecoded_block(d, offset, true) end
        local block = whole_block(B_CHANNEL, offset, 3, 1)
        local channel, kind = u8(d, offset + 1), u8(d, offset + 2)
        block.module, block.channel, block.direction = header % 64, channel % 64, floor(channel / 64)
        block.width, block.error = floor(kind / 32), kind % 32
        return block
    end
    local size = header % 64
    if size < 2 then return undecoded_block(d, offset, false) end
    if size > left then return undecoded_block(d, offset, true) end
    if kind_bits == 1 then return whole_block(B_IDENTIFIER, offset, size, 1) end
    if dpv1 and size >= 4 then
        local kind, specifier = u8(d, offset + 1), u8(d, offset + 3)
        local status = kind >= 128
        local block = whole_block(status and B_STATUS or B_ALARM, offset, size, 4)
        block.type, block.slot, block.specifier = kind % 128, u8(d, offset + 2), specifier % 4
        if not status then block.add_ack, block.sequence = has(specifier, 0x04), floor(specifier / 8) end
        return block
    end
    if size > 4 and u8(d, offset + 1) == 0x82 and u8(d, offset + 3) < 4 then
        local block = whole_block(B_STATUS, offset, size, 4)
        block.type, block.slot, block.specifier, block.dpv0_layout = 2, u8(d, offset + 2), u8(d, offset + 3), true
        return block
    end
    return whole_block(B_DEVICE, offset, size, 1)
end

-- The modules flagged in an identifier block's content (module 0 = bit 0 of
-- its first byte), as a list.
local function flagged_modules(d, content, size)
    local modules = {}
    for i = 0, size - 1 do
        local bits = u8(d, content + i)
        for bit = 0, 7 do
            if has(bits, 2 ^ bit) then modules[#modules + 1] = i * 8 + bit end
        end
    end
    return modules
end

-- The 2-bit state (module_status key) of module in a module-status block's content.
local function module_status_at(d, content, size, module)
    local index = floor(module / 4)
    if index >= size then return 0 end
    return floor(u8(d, content + index) / 4 ^ (module % 4)) % 4
end

-- The length in bytes of an identifier's "length minus 1" and words bit.
local function cfg_bytes(length_minus_1, words) return (length_minus_1 + 1) * (words and 2 or 1) end

-- The configuration identifier at offset of configuration d (Chk_Cfg, Get_Cfg):
-- format (cfg_formats key, 0 past the end), fault (1 cut, 2 reserved
-- manufacturer count: decoding stops), offset, next, size, and per direction
-- in/out = { bytes, words, consistent, at } (at: the byte that gives it).
local function decode_cfg_module(d, offset)
    local n = #d
    local m = { format = 0, fault = 0, offset = offset, next = offset, size = 0 }
    if offset >= n then return m end
    local id = u8(d, offset)
    m.size, m.next = 1, offset + 1
    if id == 0 then
        m.format = 1
    elseif id % 64 >= 16 then
        m.format = 2
        local words, consistent = has(id, 0x40), has(id, 0x80)
        local size = { bytes = cfg_bytes(id % 16, words), words = words, consistent = consistent, at = offset }
        if has(id, 0x10) then m.input = size end
        if has(id, 0x20) then m.output = size end
    else
        m.format = 3
        local count = id % 16
        local out, inp = has(id, 0x80), has(id, 0x40)
        local size = 1 + (out and 1 or 0) + (inp and 1 or 0) + count
        if count == 15 or size > n - offset then
            m.fault = count == 15 and 2 or 1
            m.size, m.next, m.want = n - offset, n, size
            return m
        end
        local at = offset + 1
        local function length_byte()
            local l = u8(d, at)
            at = at + 1
            return { bytes = cfg_bytes(l % 64, has(l, 0x40)), words = has(l, 0x40), consistent = has(l, 0x80),
                     at = at - 1 }
        end
        if out then m.output = length_byte() end  -- the output length comes first
        if inp then m.input = length_byte() end
        m.manufacturer, m.manufacturer_size = at, count
        m.size, m.next = size, offset + size
    end
    return m
end

-- The identifiers of a configuration, each a slot; a faulty one (which
-- ends the decoding) counts as one, as CountCfgIdentifiers counts them.
local function count_cfg_slots(d)
    local count, at = 0, 0
    while at < #d do
        count = count + 1
        at = decode_cfg_module(d, at).next
    end
    return count
end

-- Alarms a DP-V1 slave may hold open, by the alarm count code of DPV1_Status_3.
local ALARM_COUNTS = { [0] = 1, 2, 4, 8, 12, 16, 24, 32 }

-- Set_Prm: bytes 7-9 are DP-V1 status bytes when byte 7 has DPV1_Mode.
local function decode_set_prm(d)
    local p = { station = u8(d, 0), wd_fact_1 = u8(d, 1), wd_fact_2 = u8(d, 2), min_tsdr = u8(d, 3),
                ident = be16(d, 4), group = u8(d, 6), dpv1_status_1 = 0, dpv1_status_2 = 0,
                dpv1_status_3 = 0, alarm_count = 0 }
    p.reserved_bits_set = p.station % 8 ~= 0
    p.dpv1 = has(u8(d, 7), 0x80)
    local fixed = p.dpv1 and 10 or 7
    p.cut = #d < fixed
    if p.dpv1 then
        p.dpv1_status_1, p.dpv1_status_2, p.dpv1_status_3 = u8(d, 7), u8(d, 8), u8(d, 9)
        p.alarm_count = ALARM_COUNTS[p.dpv1_status_3 % 8]
    end
    local base = (p.dpv1 and has(p.dpv1_status_1, 0x04)) and 1 or 10
    p.watchdog_ms = p.wd_fact_1 * p.wd_fact_2 * base
    p.user_prm = fixed
    return p
end

local function decode_global_control(d)
    local control = u8(d, 0)
    return { cut = #d < 2, control = control, group = u8(d, 1),
             reserved_bits_set = control % 2 == 1 or control >= 0x40 }
end

local function decode_set_slave_add(d)
    return { cut = #d < 4, new_address = u8(d, 0), ident = be16(d, 1), no_add_chg = u8(d, 3), rest = 4 }
end

local DPV1_READ, DPV1_WRITE, DPV1_DATA_TRANSPORT, DPV1_ALARM_ACK = 0x5E, 0x5F, 0x51, 0x5C

-- A DP-V1 PDU; response: the slave's side (a read carries its data in the
-- response, a write in the request). data, data_size: where the data lie.
local function decode_dpv1_pdu(d, response)
    local n = #d
    local first = u8(d, 0)
    local p = { func = first % 128, negative = first >= 128, data = 4, data_size = 0 }
    local short = n < 4
    local f = p.func
    if p.negative then
        p.cut = short
        p.error_decode, p.error_code_1, p.error_code_2 = u8(d, 1), u8(d, 2), u8(d, 3)
    elseif f == DPV1_READ or f == DPV1_WRITE or f == DPV1_DATA_TRANSPORT then
        p.slot, p.index, p.length = u8(d, 1), u8(d, 2), u8(d, 3)
        local rest = n - 4
        if rest < 0 then rest = 0 end
        p.data_size = rest < p.length and rest or p.length
        local carries = f == DPV1_DATA_TRANSPORT or (f == DPV1_READ) == response
        p.cut = short or (carries and p.data_size < p.length)
    elseif f == DPV1_ALARM_ACK then
        local specifier = u8(d, 3)
        p.slot, p.alarm_type = u8(d, 1), u8(d, 2)
        p.specifier, p.add_ack, p.sequence = specifier % 4, has(specifier, 0x04), floor(specifier / 8)
        p.cut = short
    else
        p.cut = n == 0
        p.data, p.data_size = 1, n > 1 and n - 1 or 0
    end
    return p
end

---------------------------------------------------------------------------
-- 3. Pairing
---------------------------------------------------------------------------

-- The state of one pass over a capture: the request waiting for the next
-- frame, the DP-V1 mode each slave took with its last parameters and the
-- slots of the last configuration it acknowledged, and per frame number
-- what the first pass found, kept for later passes and clicks: links[n] of
-- a request is the frame answering it; of a response, a negative number
-- made by response_entry; slots[n] of a diagnosis, the slave's configured
-- slots then.
local function new_pairing()
    return { pending = false, p_number = 0, p_da = 0, p_sa = 0, p_service = 0, p_dpv1 = false, p_slots = nil,
             dpv1 = {}, cfg_slots = {}, links = {}, slots = {} }
end

local SERVICE_CODE_UNKNOWN = 15  -- S_UNKNOWN in an entry
local DELAY_LIMIT = 2 ^ 40  -- nanoseconds

-- One response's findings in one integer-valued number below 2^53: the
-- service of the request it answers (0: it answers none), the slave's DP-V1
-- mode and the time since the request in nanoseconds plus 1 (0: not known).
-- A request is answered by the very next frame, so the request it answers
-- is the frame before it.
local function response_entry(service, dpv1, delay)
    if service < 0 then service = SERVICE_CODE_UNKNOWN end
    if delay >= DELAY_LIMIT then delay = -1 end
    return -(1 + service + 16 * (dpv1 and 1 or 0) + 32 * (delay + 1))
end

-- service, dpv1, delay (nanoseconds, or nil) of a response entry.
local function read_response_entry(entry)
    local code = -entry - 1
    local service = code % 16
    code = (code - service) / 16
    local dpv1 = code % 2 == 1
    local delay = (code - code % 2) / 2 - 1
    if service == SERVICE_CODE_UNKNOWN then service = S_UNKNOWN end
    return service, dpv1, delay >= 0 and delay or nil
end

-- What a frame is to the pairing: requests and responses count when
-- received without errors in the shape their delimiter announces.
local K_OTHER, K_REQUEST, K_RESPONSE, K_SC = 0, 1, 2, 3

local function pairing_kind(r, status)
    if status ~= 0 then return K_OTHER end
    if r.sd == SC then return r.n == 1 and K_SC or K_OTHER end
    if not r.shape_good then return K_OTHER end
    return r.request and K_REQUEST or K_RESPONSE
end

-- One frame of the first pass, in frame order. A request is answered when
-- the very next frame is a response from the station it addressed to the
-- station that sent it, or an SC. kind: pairing_kind; da, sa: the 7-bit
-- addresses (any for an SC); fn: the FC function (bits 0-3; 0 for an SC);
-- frame_info: where the frame's number and the seconds since the frame
-- before it are read (.number, .delta_ts: Wireshark's pinfo), and only when
-- needed; service: the DP service of a request; dpv1_prm: for a Set_Prm,
-- whether it asks for DP-V1 mode; cfg_slots: for a Chk_Cfg, its slots.
-- Returns, for a response, the service of the request it answers (0 when
-- none), the slave's DP-V1 mode and, for a diagnosis, its configured slots
-- (nil when not known).
local function pair_frame(pairing, kind, da, sa, fn, frame_info, service, dpv1_prm, cfg_slots)
    local n
    local answered = 0
    local delay = -1
    if pairing.pending then
        pairing.pending = false
        if kind == K_SC or (kind == K_RESPONSE and da == pairing.p_sa and sa == pairing.p_da) then
            n = frame_info.number
            delay = floor(frame_info.delta_ts * 1e9 + 0.5)
            answered = pairing.p_service
            pairing.links[n - 1] = n
            -- A slave takes the DP-V1 mode of the parameters it acknowledged.
            if answered == S_SET_PRM and (fn < 1 or fn > 3) then pairing.dpv1[pairing.p_da] = pairing.p_dpv1 end
            if answered == S_CHK_CFG and (fn < 1 or fn > 3) then pairing.cfg_slots[pairing.p_da] = pairing.p_slots end
        end
    end
    local dpv1 = kind == K_RESPONSE and pairing.dpv1[sa] == true
    local slots = answered == S_SLAVE_DIAG and kind == K_RESPONSE and pairing.cfg_slots[sa] or nil
    if n or dpv1 then
        n = n or frame_info.number
        pairing.links[n] = response_entry(answered, dpv1, delay)
    end
    if slots then pairing.slots[n] = slots end
    if kind == K_REQUEST then
        pairing.pending, pairing.p_number = true, n or frame_info.number
        pairing.p_da, pairing.p_sa, pairing.p_service, pairing.p_dpv1 = da, sa, service, dpv1_prm == true
        pairing.p_slots = cfg_slots
    end
    return answered, dpv1, slots
end

-- What the first pass found for a response frame: as pair_frame returns.
local function recall_response(pairing, number)
    local entry = pairing.links[number]
    if entry == nil or entry > 0 then return 0, false, nil end
    local service, dpv1 = read_response_entry(entry)
    return service, dpv1, pairing.slots[number]
end

---------------------------------------------------------------------------
-- 4. Wireshark
---------------------------------------------------------------------------

local pbfdl = Proto("pbfdl", "PROFIBUS FDL (zelmot2pcap)")
local pbdp = Proto("pbdp", "PROFIBUS DP")

local fcs_states = { [0] = "Bad", [1] = "Good" }

local F = {
    version = ProtoField.uint8("pbfdl.version", "Pseudo-header version", base.DEC),
    hdrlen = ProtoField.uint8("pbfdl.hdrlen", "Pseudo-header length", base.DEC),
    status = ProtoField.uint8("pbfdl.status", "Receive status", base.HEX),
    status_letters = ProtoField.string("pbfdl.status.letters", "Status letters"),
    notes = ProtoField.uint8("pbfdl.notes", "Notes", base.HEX),
    note_resync = ProtoField.bool("pbfdl.notes.resync", "Record boundaries lost before this frame", 8, nil, 0x01),
    note_file = ProtoField.bool("pbfdl.notes.newfile", "New capture file before this frame", 8, nil, 0x02),
    sd = ProtoField.uint8("pbfdl.sd", "Start delimiter", base.HEX, DELIMITER_NAMES),
    le = ProtoField.uint8("pbfdl.le", "Length (LE)", base.DEC),
    ler = ProtoField.uint8("pbfdl.ler", "Length repeated (LEr)", base.DEC),
    sdr = ProtoField.uint8("pbfdl.sdr", "Start delimiter repeated", base.HEX),
    da = ProtoField.uint8("pbfdl.da", "Destination address (DA)", base.DEC, nil, 0x7F),
    da_ext = ProtoField.bool("pbfdl.da.ext", "DSAP follows (SAP extension)", 8, nil, 0x80),
    sa = ProtoField.uint8("pbfdl.sa", "Source address (SA)", base.DEC, nil, 0x7F),
    sa_ext = ProtoField.bool("pbfdl.sa.ext", "SSAP follows (SAP extension)", 8, nil, 0x80),
    fc = ProtoField.uint8("pbfdl.fc", "Frame control (FC)", base.HEX),
    fc_request = ProtoField.bool("pbfdl.fc.request", "Request", 8, nil, 0x40),
    fc_fcb = ProtoField.bool("pbfdl.fc.fcb", "Frame count bit (FCB)", 8, nil, 0x20),
    fc_fcv = ProtoField.bool("pbfdl.fc.fcv", "Frame count bit valid (FCV)", 8, nil, 0x10),
    fc_type = ProtoField.uint8("pbfdl.fc.stationtype", "Station type", base.DEC, STATION_TYPES, 0x30),
    fc_function = ProtoField.string("pbfdl.fc.function", "Function"),
    dsap = ProtoField.uint8("pbfdl.dsap", "Destination SAP (DSAP)", base.DEC),
    ssap = ProtoField.uint8("pbfdl.ssap", "Source SAP (SSAP)", base.DEC),
    data = ProtoField.bytes("pbfdl.data", "Data"),
    fcs = ProtoField.uint8("pbfdl.fcs", "Frame check sequence (FCS)", base.HEX),
    fcs_status = ProtoField.uint8("pbfdl.fcs.status", "FCS status", base.DEC, fcs_states),
    fcs_computed = ProtoField.uint8("pbfdl.fcs.computed", "Computed FCS", base.HEX),
    ed = ProtoField.uint8("pbfdl.ed", "End delimiter", base.HEX),
    response_in = ProtoField.framenum("pbfdl.response_in", "Response in", base.NONE, frametype.RESPONSE),
    response_to = ProtoField.framenum("pbfdl.response_to", "Response to", base.NONE, frametype.REQUEST),
    response_time = ProtoField.relative_time("pbfdl.response_time", "Time since request"),
}
-- ORDER: the status bits from 0x01 up, as STATUS_LETTERS.
local STATUS_BIT_FIELDS = {
    ProtoField.bool("pbfdl.status.stop", "Stop bit error (s)", 8, nil, 0x01),
    ProtoField.bool("pbfdl.status.parity", "Parity bit error (p)", 8, nil, 0x02),
    ProtoField.bool("pbfdl.status.sd", "Invalid start delimiter (d)", 8, nil, 0x04),
    ProtoField.bool("pbfdl.status.repeat", "Start delimiter repeat error (r)", 8, nil, 0x08),
    ProtoField.bool("pbfdl.status.underrun", "Frame underrun (u)", 8, nil, 0x10),
    ProtoField.bool("pbfdl.status.overrun", "Frame overrun (o)", 8, nil, 0x20),
    ProtoField.bool("pbfdl.status.checksum", "Check sum incorrect (c)", 8, nil, 0x40),
    ProtoField.bool("pbfdl.status.ed", "Invalid end delimiter (e)", 8, nil, 0x80),
}

local V = NAMES
local D = {
    service = ProtoField.uint8("pbdp.service", "Service", base.DEC, V.services),
    response = ProtoField.bool("pbdp.response", "Response"),
    negative = ProtoField.uint8("pbdp.negative", "Negative response", base.DEC, V.negative_responses),
    outputs = ProtoField.bytes("pbdp.outputs", "Output data"),
    inputs = ProtoField.bytes("pbdp.inputs", "Input data"),
    data = ProtoField.bytes("pbdp.data", "Data"),
    ident = ProtoField.uint16("pbdp.ident", "Ident_Number", base.HEX),
    status1 = ProtoField.uint8("pbdp.diag.status1", "Station_status_1", base.HEX),
    status2 = ProtoField.uint8("pbdp.diag.status2", "Station_status_2", base.HEX),
    status3 = ProtoField.uint8("pbdp.diag.status3", "Station_status_3", base.HEX),
    master_add = ProtoField.uint8("pbdp.diag.master_add", "Master_Add", base.DEC),
    block = ProtoField.bytes("pbdp.diag.block", "Diagnosis block"),
    block_kind = ProtoField.uint8("pbdp.diag.block.kind", "Block", base.DEC, V.diag_blocks),
    block_length = ProtoField.uint8("pbdp.diag.block.length", "Block length", base.DEC, nil, 0x3F),
    ident_module = ProtoField.uint8("pbdp.diag.ident.module", "Module with diagnosis", base.DEC),
    ch_module = ProtoField.uint8("pbdp.diag.channel.module", "Module", base.DEC, nil, 0x3F),
    ch_number = ProtoField.uint8("pbdp.diag.channel.number", "Channel", base.DEC, nil, 0x3F),
    ch_direction = ProtoField.uint8("pbdp.diag.channel.direction", "Direction", base.DEC, V.directions, 0xC0),
    ch_width = ProtoField.uint8("pbdp.diag.channel.width", "Channel width", base.DEC, V.channel_widths, 0xE0),
    ch_error = ProtoField.uint8("pbdp.diag.channel.error", "Error", base.DEC, V.channel_errors, 0x1F),
    device_data = ProtoField.bytes("pbdp.diag.device.data", "Device-related diagnosis"),
    status_type = ProtoField.uint8("pbdp.diag.status.type", "Status type", base.DEC, V.status_types, 0x7F),
    slot = ProtoField.uint8("pbdp.diag.slot", "Slot", base.DEC),
    status_specifier = ProtoField.uint8("pbdp.diag.status.specifier", "Specifier", base.DEC,
                                        V.status_specifiers, 0x03),
    module_status = ProtoField.uint8("pbdp.diag.module_status", "Module status", base.DEC, V.module_status),
    alarm_type = ProtoField.uint8("pbdp.diag.alarm.type", "Alarm type", base.DEC, V.alarm_types, 0x7F),
    alarm_specifier = ProtoField.uint8("pbdp.diag.alarm.specifier", "Specifier", base.DEC, V.alarm_specifiers, 0x03),
    alarm_add_ack = ProtoField.bool("pbdp.diag.alarm.add_ack", "Add_Ack", 8, nil, 0x04),
    alarm_sequence = ProtoField.uint8("pbdp.diag.alarm.sequence", "Sequence number", base.DEC, nil, 0xF8),
    alarm_data = ProtoField.bytes("pbdp.diag.alarm.data", "Alarm data"),
    undecoded = ProtoField.bytes("pbdp.diag.undecoded", "Undecoded diagnosis"),
    prm_station = ProtoField.uint8("pbdp.prm.station_status", "Station_status", base.HEX),
    wd_fact_1 = ProtoField.uint8("pbdp.prm.wd_fact_1", "WD_Fact_1", base.DEC),
    wd_fact_2 = ProtoField.uint8("pbdp.prm.wd_fact_2", "WD_Fact_2", base.DEC),
    watchdog = ProtoField.uint32("pbdp.prm.watchdog", "Watchdog (ms)", base.DEC),
    min_tsdr = ProtoField.uint8("pbdp.prm.min_tsdr", "min_Tsdr (bit times)", base.DEC),
    group = ProtoField.uint8("pbdp.prm.group", "Group_Ident", base.HEX),
    dpv1_status_1 = ProtoField.uint8("pbdp.prm.dpv1_status_1", "DPV1_Status_1", base.HEX),
    dpv1_status_2 = ProtoField.uint8("pbdp.prm.dpv1_status_2", "DPV1_Status_2", base.HEX),
    dpv1_status_3 = ProtoField.uint8("pbdp.prm.dpv1_status_3", "DPV1_Status_3", base.HEX),
    alarm_count = ProtoField.uint8("pbdp.prm.alarm_count", "Alarms open at most", base.DEC),
    user_prm = ProtoField.bytes("pbdp.prm.user_data", "User_Prm_Data"),
    cfg_module = ProtoField.uint8("pbdp.cfg.module", "Module", base.HEX),
    cfg_format = ProtoField.uint8("pbdp.cfg.format", "Format", base.DEC, V.cfg_formats),
    cfg_input = ProtoField.uint16("pbdp.cfg.input", "Input bytes", base.DEC),
    cfg_output = ProtoField.uint16("pbdp.cfg.output", "Output bytes", base.DEC),
    cfg_words = ProtoField.bool("pbdp.cfg.words", "Words"),
    cfg_consistent = ProtoField.bool("pbdp.cfg.consistent", "Consistent over the whole length"),
    cfg_manufacturer = ProtoField.bytes("pbdp.cfg.manufacturer", "Manufacturer bytes"),
    gc_control = ProtoField.uint8("pbdp.gc.control", "Control_Command", base.HEX),
    gc_group = ProtoField.uint8("pbdp.gc.group", "Group_Select", base.HEX),
    ssa_address = ProtoField.uint8("pbdp.ssa.new_address", "New_Slave_Add", base.DEC),
    ssa_no_add_chg = ProtoField.uint8("pbdp.ssa.no_add_chg", "No_Add_Chg", base.DEC),
    ssa_rest = ProtoField.bytes("pbdp.ssa.rest", "Rem_Slave_Data"),
    dpv1_function = ProtoField.uint8("pbdp.dpv1.function", "Function", base.HEX, V.dpv1_functions, 0x7F),
    dpv1_negative = ProtoField.bool("pbdp.dpv1.negative", "Negative response", 8, nil, 0x80),
    dpv1_slot = ProtoField.uint8("pbdp.dpv1.slot", "Slot", base.DEC),
    dpv1_index = ProtoField.uint8("pbdp.dpv1.index", "Index", base.DEC),
    dpv1_length = ProtoField.uint8("pbdp.dpv1.length", "Length", base.DEC),
    dpv1_data = ProtoField.bytes("pbdp.dpv1.data", "Data"),
    dpv1_alarm_type = ProtoField.uint8("pbdp.dpv1.alarm_type", "Alarm type", base.DEC, V.alarm_types),
    dpv1_specifier = ProtoField.uint8("pbdp.dpv1.alarm.specifier", "Specifier", base.DEC, V.alarm_specifiers, 0x03),
    dpv1_add_ack = ProtoField.bool("pbdp.dpv1.alarm.add_ack", "Add_Ack", 8, nil, 0x04),
    dpv1_sequence = ProtoField.uint8("pbdp.dpv1.alarm.sequence", "Sequence number", base.DEC, nil, 0xF8),
    error_decode = ProtoField.uint8("pbdp.dpv1.error_decode", "Error_Decode", base.HEX, V.dpv1_error_decodes),
    error_code_1 = ProtoField.uint8("pbdp.dpv1.error_code_1", "Error_Code_1", base.HEX, V.dpv1_error_codes),
    error_class = ProtoField.uint8("pbdp.dpv1.error_class", "Error class", base.HEX, V.dpv1_error_classes, 0xF0),
    error_code_2 = ProtoField.uint8("pbdp.dpv1.error_code_2", "Error_Code_2", base.HEX),
}

-- One boolean field per named bit, present in the tree only when the bit is
-- set (so that `-Y pbdp.diag.prm_req` finds the slaves asking for
-- parameters): { mask, field, name } lists by table, the field named after
-- the bit ("Cfg_Fault" -> pbdp.diag.cfg_fault).
local BIT_FIELD_PREFIX = {
    station_status_1 = "pbdp.diag.", station_status_2 = "pbdp.diag.", station_status_3 = "pbdp.diag.",
    prm_station_status = "pbdp.prm.", dpv1_status_1 = "pbdp.prm.", dpv1_status_2 = "pbdp.prm.",
    dpv1_status_3 = "pbdp.prm.", global_control = "pbdp.gc.",
}
local BIT_FIELD_ABBREV = { Clear_Data = "clear" }
local BIT_FIELDS = {}
local bit_field_list = {}
for _, t in ipairs(NAME_TABLES) do
    local prefix = BIT_FIELD_PREFIX[t.name]
    if prefix then
        local list = {}
        for _, bit in ipairs(BITS[t.name]) do
            local abbrev = prefix .. (BIT_FIELD_ABBREV[bit[2]] or bit[2]:lower())
            local field = ProtoField.bool(abbrev, bit[2], 8, nil, bit[1])
            list[#list + 1] = { bit[1], field, bit[2] }
            bit_field_list[#bit_field_list + 1] = field
        end
        BIT_FIELDS[t.name] = list
    end
end

local function field_list(...)
    local list = {}
    for _, group in ipairs({ ... }) do
        for _, field in pairs(group) do list[#list + 1] = field end
    end
    return list
end
pbfdl.fields = field_list(F, STATUS_BIT_FIELDS)
pbdp.fields = field_list(D, bit_field_list)

local E = {
    malformed = ProtoExpert.new("pbfdl.malformed", "Malformed frame", expert.group.MALFORMED, expert.severity.ERROR),
    bad_fcs = ProtoExpert.new("pbfdl.fcs.bad", "Bad frame check sequence", expert.group.CHECKSUM, expert.severity.ERROR),
    bad_ed = ProtoExpert.new("pbfdl.ed.bad", "Invalid end delimiter", expert.group.MALFORMED, expert.severity.ERROR),
    receive_error = ProtoExpert.new("pbfdl.status.error", "Received with errors", expert.group.PROTOCOL,
                                    expert.severity.WARN),
    resync = ProtoExpert.new("pbfdl.notes.resync.expert", "Record boundaries were lost before this frame",
                             expert.group.SEQUENCE, expert.severity.NOTE),
}
pbfdl.experts = { E.malformed, E.bad_fcs, E.bad_ed, E.receive_error, E.resync }

local X = {
    malformed = ProtoExpert.new("pbdp.malformed", "Malformed DP data unit", expert.group.MALFORMED,
                                expert.severity.ERROR),
    fault = ProtoExpert.new("pbdp.diag.fault", "The slave reports a fault", expert.group.RESPONSE_CODE,
                            expert.severity.WARN),
    refused = ProtoExpert.new("pbdp.refused", "The request was refused", expert.group.RESPONSE_CODE,
                              expert.severity.WARN),
    unknown = ProtoExpert.new("pbdp.unknown_service", "No DP service uses this SAP", expert.group.UNDECODED,
                              expert.severity.NOTE),
    reserved = ProtoExpert.new("pbdp.reserved_bits", "Bits a slave or master must not send", expert.group.PROTOCOL,
                               expert.severity.NOTE),
}
pbdp.experts = { X.malformed, X.fault, X.refused, X.unknown, X.reserved }

-- Column texts made once: station addresses and "DA<SA" pairs (at most
-- 128 x 128 of them).
local ADDRESS_TEXT = {}
for address = 0, 127 do ADDRESS_TEXT[address] = tostring(address) end
local PAIR_TEXT = {}
local function pair_text(da, sa)
    local key = da * 128 + sa
    local text = PAIR_TEXT[key]
    if text == nil then
        text = ADDRESS_TEXT[da] .. "<" .. ADDRESS_TEXT[sa]
        PAIR_TEXT[key] = text
    end
    return text
end

-- "Data_Exchange req" and the like, made once.
local SERVICE_TEXT = { [true] = {}, [false] = {} }
for key, name in pairs(V.services) do
    SERVICE_TEXT[false][key] = name .. " req"
    SERVICE_TEXT[true][key] = name .. " res"
end

-- The names of the bits of value in a bits table, appended to words.
local function add_bit_names(words, value, tname)
    local bits = BITS[tname]
    for i = 1, #bits do
        if has(value, bits[i][1]) then words[#words + 1] = bits[i][2] end
    end
end

-- The Info column: the FDL words zelmot2txt users read ("SD2 5<1 SRDH"),
-- the findings after them, then the DP words (dp_text, or nil), then the
-- receive status. The common frame takes one concatenation.
local function info_text(r, dp_text, status)
    if r.body and not r.problem and r.sum == r.fcs and r.ed == ED and status == 0 then
        local pair = pair_text(r.da % 128, r.sa % 128)
        if dp_text then return DELIMITER_NAMES[r.sd] .. " " .. pair .. " " .. FUNCTION_NAME[r.fc] .. " " .. dp_text end
        return DELIMITER_NAMES[r.sd] .. " " .. pair .. " " .. FUNCTION_NAME[r.fc]
    end
    local words = {}
    if r.n == 0 then
        words[1] = "FrmLen?(0)"
    else
        words[1] = DELIMITER_NAMES[r.sd] or format("SD?%02x", r.sd)
        if r.body then
            words[2] = pair_text(r.da % 128, r.sa % 128)
            words[3] = FUNCTION_NAME[r.fc]
            if r.sum and r.sum ~= r.fcs then words[#words + 1] = "[bad FCS]" end
            if r.ed and r.ed ~= ED then words[#words + 1] = format("ED?(%02x)", r.ed) end
        elseif r.sd == SD4 and not r.problem then
            words[2] = pair_text(r.da % 128, r.sa % 128) .. " token"
        elseif r.sd == SC then
            words[2] = "SHAK"
        end
        if r.problem then words[#words + 1] = r.problem end
    end
    if dp_text then words[#words + 1] = dp_text end
    if status ~= 0 then words[#words + 1] = "status " .. LETTERS[status] end
    return concat(words, " ")
end

-- The tree of the DP layer: ctx holds the data unit d (a string), the frame
-- tvb and the data unit's offset in it (base), and tree, the pbdp item (nil
-- when Wireshark wants no tree). Every function returns the Info text.

-- The range of the data unit's bytes off .. off + len - 1, clipped to it.
local function dp_range(ctx, off, len)
    local size = #ctx.d
    if off > size then off = size end
    if off + len > size then len = size - off end
    return ctx.tvb(ctx.base + off, len)
end

local function add_bits(item, range, value, tname)
    local list = BIT_FIELDS[tname]
    for i = 1, #list do
        if has(value, list[i][1]) then item:add(list[i][2], range) end
    end
end

-- A byte of named bits: the byte, its set bits below it, their names after it.
local function add_bit_byte(ctx, field, off, value, tname)
    local range = dp_range(ctx, off, 1)
    local item = ctx.tree:add(field, range)
    local words = {}
    add_bit_names(words, value, tname)
    if #words > 0 then item:append_text(" (" .. concat(words, ", ") .. ")") end
    add_bits(item, range, value, tname)
    return item
end

local function malformed(ctx, text)
    if ctx.tree then ctx.tree:add_proto_expert_info(X.malformed, text) end
end

local function cut_text(what, have, want)
    return format("%s cut short: %d of %d bytes", what, have, want)
end

-- A module status block's states summed up in the words of
-- src/dp/dp_status_summary.cpp: "all 3 modules OK", or the slots not OK and
-- the count of the rest. slots: the slave's configured slots (its last
-- Chk_Cfg acknowledged), or nil; entries beyond them count only when not OK.
local function module_status_summary(d, content, size, slots)
    local entries = size * 4
    local total = slots or entries
    local ok, listed, within_bad = 0, {}, false
    for module = 0, entries - 1 do
        local state = module_status_at(d, content, size, module)
        local beyond = module >= total
        if state ~= 0 then
            listed[#listed + 1] = "slot " .. module .. ": " .. V.module_status[state]
                                  .. (beyond and " (beyond the configuration)" or "")
            within_bad = within_bad or not beyond
        elseif not beyond then
            ok = ok + 1
        end
    end
    local list, text = concat(listed, ", ")
    if within_bad then
        text = list .. (ok == 0 and "" or "; the other " .. ok .. " OK")
    else
        text = (ok == 0 and "no module" or ok == 1 and "1 module OK" or "all " .. ok .. " modules OK")
               .. (#listed > 0 and "; " .. list or "")
    end
    if total == entries + 1 then
        text = text .. "; slot " .. entries .. " not in the block"
    elseif total > entries + 1 then
        text = text .. "; slots " .. entries .. "-" .. (total - 1) .. " not in the block"
    end
    return text
end

-- A block in the words the statistics write for it (src/stats/dp_words.cpp;
-- a module status block as src/dp/dp_status_summary.cpp words it). slots:
-- the slave's configured slots, or nil.
local function block_text(d, block, slots)
    local kind = block.kind
    if kind == B_IDENTIFIER then
        local modules = flagged_modules(d, block.content, block.content_size)
        return #modules > 0 and "identifier: modules " .. concat(modules, " ") or "identifier: no module"
    elseif kind == B_CHANNEL then
        return "module " .. block.module .. " channel " .. block.channel .. " "
               .. name_of("directions", block.direction, "direction ") .. ": "
               .. name_of("channel_errors", block.error, "error ")
    elseif kind == B_STATUS then
        local head = name_of("status_types", block.type, "status type ") .. (block.dpv0_layout and ", DP-V1 layout," or "")
                     .. " slot " .. block.slot .. " " .. name_of("status_specifiers", block.specifier, "specifier ")
        if block.type ~= 2 then return head end
        return head .. ": " .. module_status_summary(d, block.content, block.content_size, slots)
    elseif kind == B_ALARM then
        return name_of("alarm_types", block.type, "type ") .. " alarm slot " .. block.slot .. " "
               .. name_of("alarm_specifiers", block.specifier, "specifier ") .. ", sequence " .. block.sequence
               .. (block.add_ack and ", Add_Ack" or "")
    elseif kind == B_DEVICE then
        return "device block " .. hex_text(d, block.offset + 1, block.next)
    end
    return (block.cut and "cut block " or "undecoded ") .. hex_text(d, block.offset + 1, #d)
end

local function add_block_tree(ctx, block, text)
    local d = ctx.d
    local item = ctx.tree:add(D.block, dp_range(ctx, block.offset, block.size))
    item:append_text(" (" .. text .. ")")
    local header = dp_range(ctx, block.offset, 1)
    item:add(D.block_kind, header, block.kind):set_generated()
    local kind = block.kind
    if kind == B_CHANNEL then
        local channel = dp_range(ctx, block.offset + 1, 1)
        local type_byte = dp_range(ctx, block.offset + 2, 1)
        item:add(D.ch_module, header)
        item:add(D.ch_number, channel)
        item:add(D.ch_direction, channel)
        item:add(D.ch_width, type_byte)
        item:add(D.ch_error, type_byte)
    elseif kind == B_UNDECODED then
        item:add(D.undecoded, dp_range(ctx, block.offset, block.size))
        if block.cut then
            local header_byte = u8(d, block.offset)
            local want = floor(header_byte / 64) == 2 and 3 or header_byte % 64
            item:add_proto_expert_info(X.malformed, cut_text("Diagnosis block", block.size, want))
        elseif floor(u8(d, block.offset) / 64) == 3 then
            item:add_proto_expert_info(X.malformed, "Diagnosis block of the reserved type: the rest is undecoded")
        else
            item:add_proto_expert_info(X.malformed, format("Diagnosis block length %d cannot be true",
                                                           u8(d, block.offset) % 64))
        end
    else
        item:add(D.block_length, header)
        if kind == B_IDENTIFIER then
            for _, module in ipairs(flagged_modules(d, block.content, block.content_size)) do
                item:add(D.ident_module, dp_range(ctx, block.content + floor(module / 8), 1), module)
            end
        elseif kind == B_DEVICE then
            item:add(D.device_data, dp_range(ctx, block.content, block.content_size))
        else
            local type_byte = dp_range(ctx, block.offset + 1, 1)
            local specifier = dp_range(ctx, block.offset + 3, 1)
            item:add(kind == B_STATUS and D.status_type or D.alarm_type, type_byte)
            item:add(D.slot, dp_range(ctx, block.offset + 2, 1))
            if kind == B_STATUS then
                item:add(D.status_specifier, specifier)
                if block.type == 2 then
                    for module = 0, block.content_size * 4 - 1 do
                        local state = module_status_at(d, block.content, block.content_size, module)
                        item:add(D.module_status, dp_range(ctx, block.content + floor(module / 4), 1), state)
                            :prepend_text(format("Module %d: ", module))
                    end
                end
            else
                item:add(D.alarm_specifier, specifier)
                if block.add_ack then item:add(D.alarm_add_ack, specifier) end
                item:add(D.alarm_sequence, specifier)
                if block.content_size > 0 then
                    item:add(D.alarm_data, dp_range(ctx, block.content, block.content_size))
                end
            end
        end
    end
end

local function dissect_slave_diag(ctx)
    local d, tree = ctx.d, ctx.tree
    local diag = decode_slave_diag(d)
    local words = {}
    add_bit_names(words, diag.status1, "station_status_1")
    add_bit_names(words, diag.status2, "station_status_2")
    add_bit_names(words, diag.status3, "station_status_3")
    local text = "Slave_Diag res: " .. (#words > 0 and concat(words, ", ") or "no status bits")
    if diag.cut then text = text .. "; cut after " .. #d .. " bytes" end
    if tree then
        add_bit_byte(ctx, D.status1, 0, diag.status1, "station_status_1")
        if #d > 1 then add_bit_byte(ctx, D.status2, 1, diag.status2, "station_status_2") end
        if #d > 2 then add_bit_byte(ctx, D.status3, 2, diag.status3, "station_status_3") end
        if #d > 3 then
            local item = tree:add(D.master_add, dp_range(ctx, 3, 1))
            if diag.master_add == 0xFF then item:append_text(" (none)") end
        end
        if #d > 5 then tree:add(D.ident, dp_range(ctx, 4, 2)) end
        if diag.cut then malformed(ctx, cut_text("Slave_Diag", #d, 6)) end
        if diag.fixed_bit_clear or diag.reserved_bits_set then
            tree:add_proto_expert_info(X.reserved, "Station_status_2 or _3 has a bit as no slave sends it")
        end
        -- Every bit of Station_status_1 but Station_Not_Ready reports a fault.
        local faults = {}
        add_bit_names(faults, has(diag.status1, 0x02) and diag.status1 - 0x02 or diag.status1, "station_status_1")
        add_bit_names(faults, diag.status3, "station_status_3")
        if #faults > 0 then tree:add_proto_expert_info(X.fault, "Slave_Diag: " .. concat(faults, ", ")) end
    end
    local at = 6
    while at < #d do
        local block = decode_diag_block(d, at, ctx.dpv1)
        local block_words = block_text(d, block, ctx.slots)
        text = text .. "; " .. block_words
        if tree then add_block_tree(ctx, block, block_words) end
        at = block.next
    end
    return text
end

local function dissect_set_prm(ctx)
    local d, tree = ctx.d, ctx.tree
    local p = decode_set_prm(d)
    local text = format("Set_Prm req: ident 0x%04X, watchdog %s", p.ident,
                        has(p.station, 0x08) and format("%d ms", p.watchdog_ms) or "off")
    if p.dpv1 then text = text .. ", DPV1" end
    if tree then
        local n = #d
        add_bit_byte(ctx, D.prm_station, 0, p.station, "prm_station_status")
        if n > 1 then tree:add(D.wd_fact_1, dp_range(ctx, 1, 1)) end
        if n > 2 then
            tree:add(D.wd_fact_2, dp_range(ctx, 2, 1))
            tree:add(D.watchdog, dp_range(ctx, 1, 2), p.watchdog_ms):set_generated()
        end
        if n > 3 then tree:add(D.min_tsdr, dp_range(ctx, 3, 1)) end
        if n > 5 then tree:add(D.ident, dp_range(ctx, 4, 2)) end
        if n > 6 then tree:add(D.group, dp_range(ctx, 6, 1)) end
        if p.dpv1 then
            add_bit_byte(ctx, D.dpv1_status_1, 7, p.dpv1_status_1, "dpv1_status_1")
            if n > 8 then add_bit_byte(ctx, D.dpv1_status_2, 8, p.dpv1_status_2, "dpv1_status_2") end
            if n > 9 then
                local item = add_bit_byte(ctx, D.dpv1_status_3, 9, p.dpv1_status_3, "dpv1_status_3")
                item:add(D.alarm_count, dp_range(ctx, 9, 1), p.alarm_count):set_generated()
            end
        end
        if n > p.user_prm then tree:add(D.user_prm, dp_range(ctx, p.user_prm, n - p.user_prm)) end
        if p.cut then malformed(ctx, cut_text("Set_Prm", n, p.dpv1 and 10 or 7)) end
        if p.reserved_bits_set then tree:add_proto_expert_info(X.reserved, "Station_status bits 0-2 are set") end
    end
    return text
end

local function add_cfg_direction(ctx, item, field, size)
    local range = dp_range(ctx, size.at, 1)
    local sub_item = item:add(field, range, size.bytes)
    if size.words then sub_item:add(D.cfg_words, range, true) end
    if size.consistent then sub_item:add(D.cfg_consistent, range, true) end
end

-- "input 4 bytes words consistent", appended to words for a direction the module has.
local function add_size_text(words, size, what)
    if size then
        words[#words + 1] = format("%s %d bytes%s%s", what, size.bytes, size.words and " words" or "",
                                   size.consistent and " consistent" or "")
    end
end

local function dissect_cfg(ctx, text)
    local d, tree = ctx.d, ctx.tree
    local count, inputs, outputs = 0, 0, 0
    local at = 0
    while at < #d do
        local m = decode_cfg_module(d, at)
        if m.fault ~= 0 then
            local problem = m.fault == 2 and "Identifier with the reserved manufacturer count 15"
                            or cut_text("Identifier", m.size, m.want)
            if tree then
                tree:add(D.cfg_module, dp_range(ctx, at, 1)):prepend_text(format("Module %d: ", count))
                    :add_proto_expert_info(X.malformed, problem)
            end
            text = text .. "; undecoded from module " .. count
            break
        end
        if m.input then inputs = inputs + m.input.bytes end
        if m.output then outputs = outputs + m.output.bytes end
        if tree then
            local item = tree:add(D.cfg_module, dp_range(ctx, at, 1))
            local words = { V.cfg_formats[m.format] }
            add_size_text(words, m.input, "input")
            add_size_text(words, m.output, "output")
            item:set_text(format("Module %d: 0x%02x %s", count, u8(d, at), concat(words, ", ")))
            item:add(D.cfg_format, dp_range(ctx, at, 1), m.format):set_generated()
            if m.input then add_cfg_direction(ctx, item, D.cfg_input, m.input) end
            if m.output then add_cfg_direction(ctx, item, D.cfg_output, m.output) end
            if m.manufacturer_size and m.manufacturer_size > 0 then
                item:add(D.cfg_manufacturer, dp_range(ctx, m.manufacturer, m.manufacturer_size))
            end
        end
        count = count + 1
        at = m.next
    end
    return format("%s: %d module%s, %d bytes in, %d bytes out", text, count, count == 1 and "" or "s", inputs, outputs)
end

local function dissect_global_control(ctx)
    local d, tree = ctx.d, ctx.tree
    local gc = decode_global_control(d)
    local words = {}
    add_bit_names(words, gc.control, "global_control")
    if gc.group ~= 0 then words[#words + 1] = format("group 0x%02x", gc.group) end
    if tree then
        add_bit_byte(ctx, D.gc_control, 0, gc.control, "global_control")
        if #d > 1 then tree:add(D.gc_group, dp_range(ctx, 1, 1)) end
        if gc.cut then malformed(ctx, cut_text("Global_Control", #d, 2)) end
        if gc.reserved_bits_set then tree:add_proto_expert_info(X.reserved, "Control_Command has reserved bits set") end
    end
    if #words == 0 then return "Global_Control req" end
    return "Global_Control req: " .. concat(words, ", ")
end

local function dissect_set_slave_add(ctx)
    local d, tree = ctx.d, ctx.tree
    local s = decode_set_slave_add(d)
    if tree then
        tree:add(D.ssa_address, dp_range(ctx, 0, 1))
        if #d > 2 then tree:add(D.ident, dp_range(ctx, 1, 2)) end
        if #d > 3 then tree:add(D.ssa_no_add_chg, dp_range(ctx, 3, 1)) end
        if #d > s.rest then tree:add(D.ssa_rest, dp_range(ctx, s.rest, #d - s.rest)) end
        if s.cut then malformed(ctx, cut_text("Set_Slave_Add", #d, 4)) end
    end
    return format("Set_Slave_Add req: new address %d, ident 0x%04X", s.new_address, s.ident)
end

local function dissect_dpv1(ctx, service_text)
    local d, tree = ctx.d, ctx.tree
    local p = decode_dpv1_pdu(d, ctx.response)
    local fname = name_of("dpv1_functions", p.func, "function")
    local text
    if p.negative then
        text = format("%s negative: %s", fname, name_of("dpv1_error_codes", p.error_code_1, "error code"))
    elseif p.slot and p.index then
        text = format("%s slot %d index %d length %d", fname, p.slot, p.index, p.length)
    elseif p.alarm_type then
        text = format("%s slot %d: %s %s", fname, p.slot, name_of("alarm_types", p.alarm_type, "type"),
                      name_of("alarm_specifiers", p.specifier, "specifier"))
    else
        text = fname
    end
    if tree then
        local first = dp_range(ctx, 0, 1)
        tree:add(D.dpv1_function, first)
        if p.negative then
            tree:add(D.dpv1_negative, first)
            if #d > 1 then tree:add(D.error_decode, dp_range(ctx, 1, 1)) end
            if #d > 2 then
                tree:add(D.error_code_1, dp_range(ctx, 2, 1))
                tree:add(D.error_class, dp_range(ctx, 2, 1))
            end
            if #d > 3 then tree:add(D.error_code_2, dp_range(ctx, 3, 1)) end
            tree:add_proto_expert_info(X.refused, "DP-V1 " .. text)
        elseif p.slot ~= nil then
            if #d > 1 then tree:add(D.dpv1_slot, dp_range(ctx, 1, 1)) end
            if p.index then
                if #d > 2 then tree:add(D.dpv1_index, dp_range(ctx, 2, 1)) end
                if #d > 3 then tree:add(D.dpv1_length, dp_range(ctx, 3, 1)) end
            else
                if #d > 2 then tree:add(D.dpv1_alarm_type, dp_range(ctx, 2, 1)) end
                if #d > 3 then
                    local specifier = dp_range(ctx, 3, 1)
                    tree:add(D.dpv1_specifier, specifier)
                    if p.add_ack then tree:add(D.dpv1_add_ack, specifier) end
                    tree:add(D.dpv1_sequence, specifier)
                end
            end
        end
        if p.data_size > 0 then tree:add(D.dpv1_data, dp_range(ctx, p.data, p.data_size)) end
        if p.cut then malformed(ctx, "DP-V1 PDU cut short") end
    end
    return service_text .. ": " .. text
end

-- The services whose data unit is decoded field by field, by side; the
-- others show it as bytes (or nothing, for an acknowledgement or a poll),
-- and their Info text is the service and side alone.
local DECODED = { [false] = { [S_SET_PRM] = true, [S_CHK_CFG] = true, [S_GLOBAL_CONTROL] = true,
                              [S_SET_SLAVE_ADD] = true },
                  [true] = { [S_SLAVE_DIAG] = true, [S_GET_CFG] = true } }
for service = S_DPV1_READ_WRITE, S_DPV1_CLASS2 do
    DECODED[false][service], DECODED[true][service] = true, true
end
local function plain_service(service, response, size)
    return not DECODED[response][service] or (response and size == 0)
end

-- The DP layer of one frame: the service, the side, and the decoder of its
-- data unit. Returns the Info text.
local function dissect_dp(ctx, service, negative)
    local tree, response, d = ctx.tree, ctx.response, ctx.d
    local base_text = SERVICE_TEXT[response][service]
    if tree then tree:add(D.response, ctx.tvb(ctx.fc_at, 1), response):set_generated() end
    if negative then
        local text = base_text .. ": " .. V.negative_responses[negative]
        if tree then
            tree:add(D.negative, ctx.tvb(ctx.fc_at, 1), negative):set_generated()
            tree:add_proto_expert_info(X.refused, text)
        end
        return text
    end
    if plain_service(service, response, #d) then
        if tree and #d > 0 then
            local field = D.data
            if service == S_DATA_EXCHANGE then field = response and D.inputs or D.outputs
            elseif response and service == S_RD_INP then field = D.inputs
            elseif response and service == S_RD_OUTP then field = D.outputs end
            tree:add(field, dp_range(ctx, 0, #d))
        end
        return base_text
    end
    if service >= S_DPV1_READ_WRITE then return dissect_dpv1(ctx, base_text) end
    if service == S_SLAVE_DIAG then return dissect_slave_diag(ctx) end
    if service == S_GET_CFG or service == S_CHK_CFG then return dissect_cfg(ctx, base_text) end
    if service == S_SET_PRM then return dissect_set_prm(ctx) end
    if service == S_GLOBAL_CONTROL then return dissect_global_control(ctx) end
    return dissect_set_slave_add(ctx)
end

-- The FDL tree.
local function add_pseudo_header(buf, tree, status, notes)
    tree:add(F.version, buf(0, 1))
    tree:add(F.hdrlen, buf(1, 1))
    local status_range = buf(2, 1)
    local letters = LETTERS[status]
    local st = tree:add(F.status, status_range)
    st:append_text(" (" .. letters .. ")")
    st:add(F.status_letters, status_range, letters)
    for i = 1, 8 do st:add(STATUS_BIT_FIELDS[i], status_range) end
    if status ~= 0 then st:add_proto_expert_info(E.receive_error, "Received with errors: " .. letters) end
    local notes_range = buf(3, 1)
    local nt = tree:add(F.notes, notes_range)
    nt:add(F.note_resync, notes_range)
    nt:add(F.note_file, notes_range)
    if has(notes, 0x01) then nt:add_proto_expert_info(E.resync) end
end

local function add_fdl_tree(frame, tree, r)
    local n = r.n
    if n == 0 then
        tree:add_proto_expert_info(E.malformed, r.problem)
        return
    end
    tree:add(F.sd, frame(0, 1))
    if r.sd == SD2 and n >= 9 then
        tree:add(F.le, frame(1, 1))
        tree:add(F.ler, frame(2, 1))
        tree:add(F.sdr, frame(3, 1))
    end
    local da = r.da_at
    if da and da < n then
        local range = frame(da, 1)
        tree:add(F.da, range):add(F.da_ext, range)
    end
    if da and da + 1 < n then
        local range = frame(da + 1, 1)
        tree:add(F.sa, range):add(F.sa_ext, range)
    end
    if r.body then
        local fc_range = frame(da + 2, 1)
        local name = FUNCTION_NAME[r.fc]
        local item = tree:add(F.fc, fc_range)
        item:append_text(" (" .. name .. ")")
        item:add(F.fc_request, fc_range)
        if r.request then
            item:add(F.fc_fcb, fc_range)
            item:add(F.fc_fcv, fc_range)
        else
            item:add(F.fc_type, fc_range)
        end
        item:add(F.fc_function, fc_range, name)
        if r.sap_short then
            tree:add_proto_expert_info(E.malformed, "Too short for the SAP bytes its addresses announce")
            return
        end
        local at = da + 3
        if r.dsap then tree:add(F.dsap, frame(at, 1)); at = at + 1 end
        if r.ssap then tree:add(F.ssap, frame(at, 1)) end
        if r.data_len > 0 then tree:add(F.data, frame(r.data_at, r.data_len)) end
        local fcs_range = frame(n - 2, 1)
        local fcs_item = tree:add(F.fcs, fcs_range)
        fcs_item:add(F.fcs_computed, fcs_range, r.sum):set_generated()
        if r.sum == r.fcs then
            fcs_item:append_text(" [good]")
            fcs_item:add(F.fcs_status, fcs_range, 1):set_generated()
        else
            fcs_item:append_text(format(" [bad, should be 0x%02x]", r.sum))
            fcs_item:add(F.fcs_status, fcs_range, 0):set_generated()
            fcs_item:add_proto_expert_info(E.bad_fcs, format("Bad FCS 0x%02x, computed 0x%02x", r.fcs, r.sum))
        end
        local ed_item = tree:add(F.ed, frame(n - 1, 1))
        if r.ed ~= ED then ed_item:add_proto_expert_info(E.bad_ed) end
    end
    if r.problem then tree:add_proto_expert_info(E.malformed, r.problem) end
end

-- The pairing items of a request or a response.
local function add_pairing_tree(frame, tree, pairing, number)
    local entry = pairing.links[number]
    if entry == nil then return end
    local range = frame(0, 1)
    if entry > 0 then
        tree:add(F.response_in, range, entry):set_generated()
        return
    end
    local _, _, delay = read_response_entry(entry)
    if not delay then return end
    tree:add(F.response_to, range, number - 1):set_generated()
    local seconds = floor(delay / 1e9)
    tree:add(F.response_time, range, NSTime.new(seconds, delay - seconds * 1e9)):set_generated()
end

-- Wireshark calls init before every pass over a capture that starts anew
-- (a file opened, reloaded, re-dissected).
local pairing = new_pairing()

-- The FDL record of the frame being dissected, filled anew for each one.
local scratch = {}

-- Info texts of frames received without errors in the shape their
-- delimiter announces, whose DP part is the service and side alone: by
-- delimiter, FC, addresses, service and side. Cyclic traffic repeats them,
-- so most frames take one look-up; the table starts anew when it holds
-- MEMO_LIMIT texts.
local MEMO_LIMIT = 8192
local memo, memo_count = {}, 0
local SD_INDEX = { [SD1] = 1, [SD2] = 2, [SD3] = 3, [SD4] = 4, [SC] = 5 }

local function init()
    pairing = new_pairing()
end
pbfdl.init = init

-- The DP layer's part of the Info column, and its tree under root when
-- frame_tvb is given. dpv1, slots: the slave's DP-V1 mode and configured
-- slots, for its diagnosis.
local function dp_layer(root, frame_tvb, packet, hdrlen, r, service, request, dpv1, slots)
    local dp_tree
    local data_at, data_len = r.data_at or 0, r.data_len or 0
    if frame_tvb then dp_tree = root:add(pbdp, data_len > 0 and frame_tvb(data_at, data_len) or frame_tvb()) end
    local text
    if service == S_UNKNOWN then
        text = request and format("DSAP %d: no DP service", r.dsap) or format("SSAP %d: no DP service", r.ssap)
        if dp_tree then dp_tree:add_proto_expert_info(X.unknown, text) end
    else
        local negative
        local fn = r.fc and r.fc % 16
        if not request and fn and fn >= 1 and fn <= 3 then negative = fn end
        if dp_tree == nil and negative == nil and plain_service(service, not request, data_len) then
            return SERVICE_TEXT[not request][service]  -- the common case, with no tree to build
        end
        local fc_at = r.body and r.da_at + 2 or 0
        if dp_tree then
            local service_at = fc_at
            if request and r.dsap then service_at = r.da_at + 3
            elseif not request and r.ssap then service_at = data_at - 1 end
            dp_tree:add(D.service, frame_tvb(service_at, 1), service):set_generated()
        end
        local ctx = { d = sub(packet, hdrlen + data_at + 1, hdrlen + data_at + data_len), tvb = frame_tvb, base = data_at,
                      tree = dp_tree, response = not request, dpv1 = dpv1, slots = slots, fc_at = fc_at }
        text = dissect_dp(ctx, service, negative)
    end
    if dp_tree then dp_tree:append_text(", " .. text) end
    return text
end

-- The Info text of a frame received well whose DP part is the service
-- and side alone: looked up, or made once from its FDL record.
local function memo_text(packet, sd, fc, da, sa, service, response)
    local key = ((fc * 8 + SD_INDEX[sd]) * 16384 + da * 128 + sa) * 32 + (service + 1) * 2 + (response and 1 or 0)
    local text = memo[key]
    if text == nil then
        if memo_count >= MEMO_LIMIT then memo, memo_count = {}, 0 end
        text = info_text(decode_fdl(packet, 4, scratch), service ~= 0 and SERVICE_TEXT[response][service] or nil, 0)
        memo[key], memo_count = text, memo_count + 1
    end
    return text
end

-- The first pass without a tree, for the frames that make up cyclic
-- traffic: received without errors behind the 4-byte pseudo-header, in the
-- shape their delimiter announces, with a good check sum, and a DP part
-- that is the service and side alone (or none). Sets the columns from a
-- handful of bytes, without the FDL record, and pairs the frame. Returns
-- false, having touched nothing, for any other frame.
local function quick_columns(packet, pinfo, cols)
    local version, hdrlen, status, notes, sd, b2, b3, b4, b5, b6, b7, b8, b9 = byte(packet, 1, 13)
    if status ~= 0 or hdrlen ~= 4 or version ~= 1 or notes ~= 0 then return false end
    local n = #packet - 4
    local da, sa, fc, fc_at, sap1, sap2  -- fc_at: the FC's index in packet
    if sd == SD2 then
        if n < 9 or b2 ~= n - 6 or b3 ~= b2 or b4 ~= SD2 then return false end
        da, sa, fc, fc_at, sap1, sap2 = b5, b6, b7, 11, b8, b9
    elseif (sd == SD1 and n == 6) or (sd == SD3 and n == 14) then
        da, sa, fc, fc_at, sap1, sap2 = b2, b3, b4, 8, b5, b6
    elseif sd == SC and n == 1 then
        local answered = pair_frame(pairing, K_SC, 0, 0, 0, pinfo, 0, false)
        cols.info = memo_text(packet, SC, 0, 0, 0, answered, true)
        return true
    elseif sd == SD4 and n == 3 and b2 < 128 and b3 < 128 then
        pair_frame(pairing, K_OTHER, b2, b3, 0, pinfo, 0, false)
        cols.dst, cols.src = ADDRESS_TEXT[b2], ADDRESS_TEXT[b3]
        cols.info = memo_text(packet, SD4, 0, b2, b3, 0, false)
        return true
    else
        return false
    end
    local fcs, ed = byte(packet, n + 3, n + 4)
    if ed ~= ED or sum_bytes(packet, fc_at - 2, n + 2) % 256 ~= fcs then return false end
    -- The SAP bytes follow the FC, DSAP first; the data up to the FCS.
    local fn, request = FUNCTION_BITS[fc], fc % 128 >= 64
    local da_ext, sa_ext = da >= 128, sa >= 128
    local dsap, ssap, at = false, false, fc_at + 1
    if da_ext then da, dsap, sap1, at = da - 128, sap1, sap2, at + 1 end
    if sa_ext then sa, ssap, at = sa - 128, sap1, at + 1 end
    local data_len = n + 3 - at
    if data_len < 0 then return false end
    local service, dpv1_prm = 0, false
    if request then
        if (fn == 12 or fn == 13) and not da_ext and not sa_ext then
            service = S_DATA_EXCHANGE
        elseif dsap then
            service = SAP_SERVICE[dsap] or S_UNKNOWN
            if service == S_UNKNOWN or not plain_service(service, false, data_len) then return false end
        end
    elseif fn >= 1 and fn <= 3 then
        return false  -- a negative response
    elseif ssap then
        service = SAP_SERVICE[ssap] or S_UNKNOWN
        if service == S_UNKNOWN or not plain_service(service, true, data_len) then return false end
    end
    local answered, dpv1, slots = pair_frame(pairing, request and K_REQUEST or K_RESPONSE, da, sa, fn, pinfo, service,
                                             dpv1_prm)
    cols.dst, cols.src = ADDRESS_TEXT[da], ADDRESS_TEXT[sa]
    if not request and not ssap then
        service = answered
        if not plain_service(service, true, data_len) then
            -- Answers a request whose response is decoded (a diagnosis without SAPs).
            local r = decode_fdl(packet, 4, scratch)
            cols.info = info_text(r, dp_layer(nil, nil, packet, 4, r, service, false, dpv1, slots), 0)
            return true
        end
    end
    cols.info = memo_text(packet, sd, fc, da, sa, service, not request)
    return true
end

local function dissect(buf, pinfo, root)
    local cols = pinfo.cols
    cols.protocol = "PROFIBUS"
    local packet = buf:raw()
    -- Wireshark passes no tree in column-only runs.
    if root.text == nil and not pinfo.visited and quick_columns(packet, pinfo, cols) then return #packet end
    local total = #packet
    local tree = root.text ~= nil and root:add(pbfdl, buf()) or nil
    if total < 4 then
        if tree then tree:add_proto_expert_info(E.malformed, "Shorter than the pseudo-header") end
        cols.info = "Malformed pseudo-header"
        return total
    end
    local version, hdrlen, status, notes = byte(packet, 1, 4)
    if version ~= 1 or hdrlen < 4 or hdrlen > total then
        if tree then
            tree:add(F.version, buf(0, 1))
            tree:add(F.hdrlen, buf(1, 1))
            tree:add_proto_expert_info(E.malformed, "Unknown pseudo-header version or length")
        end
        cols.info = "Unknown pseudo-header"
        return total
    end
    local r = decode_fdl(packet, hdrlen, scratch)
    local da, sa = r.da and r.da % 128, r.sa and r.sa % 128
    if da then cols.dst = ADDRESS_TEXT[da] end
    if sa then cols.src = ADDRESS_TEXT[sa] end

    -- The DP service: a request's by its own fields, a response's by its
    -- SSAP or by the request it answers.
    local dp_frame = (r.body and not r.sap_short) or (r.sd == SC and r.n == 1)
    local request = r.body and r.request
    local service = (dp_frame and request) and request_service(r) or 0
    local answered, dpv1, slots = 0, false, nil
    if not pinfo.visited then
        local dpv1_prm = service == S_SET_PRM and r.data_len > 7 and has(byte(packet, hdrlen + r.data_at + 8), 0x80)
        local cfg_slots = service == S_CHK_CFG
                          and count_cfg_slots(sub(packet, hdrlen + r.data_at + 1, hdrlen + r.data_at + r.data_len)) or nil
        answered, dpv1, slots = pair_frame(pairing, pairing_kind(r, status), da, sa, r.fc and FUNCTION_BITS[r.fc] or 0,
                                           pinfo, service, dpv1_prm, cfg_slots)
    elseif dp_frame and not request then
        answered, dpv1, slots = recall_response(pairing, pinfo.number)
    end
    if dp_frame and not request then service = response_service(r, answered) end

    local frame_tvb
    if tree then
        add_pseudo_header(buf, tree, status, notes)
        if total > hdrlen then
            frame_tvb = buf:range(hdrlen, total - hdrlen):tvb()
            add_fdl_tree(frame_tvb, tree, r)
            add_pairing_tree(frame_tvb, tree, pairing, pinfo.number)
        else
            tree:add_proto_expert_info(E.malformed, r.problem)
        end
    end
    local dp_text = service ~= 0 and dp_layer(root, frame_tvb, packet, hdrlen, r, service, request, dpv1, slots) or nil
    cols.info = info_text(r, dp_text, status)
    return total
end
pbfdl.dissector = dissect

-- Link type 147 (USER0) is Wireshark's encapsulation USER0.
local encaps = wtap_encaps or wtap
DissectorTable.get("wtap_encap"):add(encaps.USER0, pbfdl)

-- For a plain Lua interpreter with stand-ins for the Wireshark API: the
-- name tables and the decoders. Wireshark ignores what a plugin returns.
return {
    name_tables = NAME_TABLES,
    names = NAMES,
    fdl_names = { delimiters = DELIMITER_NAMES, functions = FUNCTION_NAME, station_types = STATION_TYPES,
                  status_letters = STATUS_LETTERS, sap_services = SAP_SERVICE },
    decode_fdl = decode_fdl,
    request_service = request_service,
    response_service = response_service,
    decode_slave_diag = decode_slave_diag,
    decode_diag_block = decode_diag_block,
    decode_cfg_module = decode_cfg_module,
    count_cfg_slots = count_cfg_slots,
    decode_set_prm = decode_set_prm,
    decode_global_control = decode_global_control,
    decode_set_slave_add = decode_set_slave_add,
    decode_dpv1_pdu = decode_dpv1_pdu,
    block_text = block_text,
    new_pairing = new_pairing,
    pair_frame = pair_frame,
    recall_response = recall_response,
    dissector = dissect,
    init = init,
}
