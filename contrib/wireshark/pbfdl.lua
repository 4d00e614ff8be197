-- pbfdl.lua: a Wireshark dissector for the PROFIBUS FDL frames that
-- zelmot2pcap writes with Link=user0 (link type 147, USER0).
--
-- Each packet is a 4-byte pseudo-header and the frame as received:
--   byte 0  version (1)
--   byte 1  pseudo-header length (4)
--   byte 2  receive status: 0x01 stop bit, 0x02 parity, 0x04 start
--           delimiter, 0x08 start delimiter repeat, 0x10 underrun,
--           0x20 overrun, 0x40 check sum, 0x80 end delimiter
--   byte 3  notes: 0x01 record boundaries lost before this frame,
--           0x02 a new capture file began before this frame
-- Names (FC functions, responses, station types, status letters) are the
-- ones zelmot2txt writes.
--
-- Use:  tshark -X lua_script:pbfdl.lua -r capture.pcapng
-- or copy it into Wireshark's personal or global plugin folder.
--
-- Written for Lua 5.2 (Wireshark 4.0) and later: bit operations go through
-- the `bit32` or `bit` library (or plain arithmetic where neither exists),
-- never through Lua 5.3 operators.

local bitops = bit32 or bit
local function band(a, b)
    if bitops then return bitops.band(a, b) end
    local result, place = 0, 1
    while a > 0 and b > 0 do
        if a % 2 == 1 and b % 2 == 1 then result = result + place end
        a, b, place = math.floor(a / 2), math.floor(b / 2), place * 2
    end
    return result
end
local function has(value, mask) return band(value, mask) ~= 0 end

local SD1, SD2, SD3, SD4, SC, ED = 0x10, 0x68, 0xA2, 0xDC, 0xE5, 0x16

local pbfdl = Proto("pbfdl", "PROFIBUS FDL (zelmot2pcap)")

local delimiter_names = { [SD1] = "SD1", [SD2] = "SD2", [SD3] = "SD3", [SD4] = "SD4", [SC] = "SC" }

-- Request functions by FC bit 7 (as 16) and bits 0-3; responses by bits 0-3.
local request_names = {
    [0] = "MTM1", "MSRD", "MSDN", "SDAL", "SDNL", "SDAH", "SDNH", "RDD",
    "GSRD", "RFDL", "MDLY", "MKEP", "SRDL", "SRDH", "RIR", "RLSR", "MTM2",
}
local response_names = {
    [0] = "OK", [1] = "UE", [2] = "RR", [3] = "RS", [8] = "DL", [9] = "NR",
    [10] = "DH", [12] = "RDL", [13] = "RDH",
}
local station_types = {
    [0] = "ss (slave station)", [1] = "mn (master not ready)",
    [2] = "mr (master ready)", [3] = "mi (master in the token ring)",
}
local status_letters = { "s", "p", "d", "r", "u", "o", "c", "e" }

local fcs_states = { [0] = "Bad", [1] = "Good" }

local f = {
    version = ProtoField.uint8("pbfdl.version", "Pseudo-header version", base.DEC),
    hdrlen = ProtoField.uint8("pbfdl.hdrlen", "Pseudo-header length", base.DEC),
    status = ProtoField.uint8("pbfdl.status", "Receive status", base.HEX),
    status_letters = ProtoField.string("pbfdl.status.letters", "Status letters"),
    st_stop = ProtoField.bool("pbfdl.status.stop", "Stop bit error (s)", 8, nil, 0x01),
    st_parity = ProtoField.bool("pbfdl.status.parity", "Parity bit error (p)", 8, nil, 0x02),
    st_sd = ProtoField.bool("pbfdl.status.sd", "Invalid start delimiter (d)", 8, nil, 0x04),
    st_repeat = ProtoField.bool("pbfdl.status.repeat", "Start delimiter repeat error (r)", 8, nil, 0x08),
    st_under = ProtoField.bool("pbfdl.status.underrun", "Frame underrun (u)", 8, nil, 0x10),
    st_over = ProtoField.bool("pbfdl.status.overrun", "Frame overrun (o)", 8, nil, 0x20),
    st_check = ProtoField.bool("pbfdl.status.checksum", "Check sum incorrect (c)", 8, nil, 0x40),
    st_ed = ProtoField.bool("pbfdl.status.ed", "Invalid end delimiter (e)", 8, nil, 0x80),
    notes = ProtoField.uint8("pbfdl.notes", "Notes", base.HEX),
    note_resync = ProtoField.bool("pbfdl.notes.resync", "Record boundaries lost before this frame", 8, nil, 0x01),
    note_file = ProtoField.bool("pbfdl.notes.newfile", "New capture file before this frame", 8, nil, 0x02),
    sd = ProtoField.uint8("pbfdl.sd", "Start delimiter", base.HEX, delimiter_names),
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
    fc_type = ProtoField.uint8("pbfdl.fc.stationtype", "Station type", base.DEC, station_types, 0x30),
    fc_function = ProtoField.string("pbfdl.fc.function", "Function"),
    dsap = ProtoField.uint8("pbfdl.dsap", "Destination SAP (DSAP)", base.DEC),
    ssap = ProtoField.uint8("pbfdl.ssap", "Source SAP (SSAP)", base.DEC),
    data = ProtoField.bytes("pbfdl.data", "Data"),
    fcs = ProtoField.uint8("pbfdl.fcs", "Frame check sequence (FCS)", base.HEX),
    fcs_status = ProtoField.uint8("pbfdl.fcs.status", "FCS status", base.DEC, fcs_states),
    fcs_computed = ProtoField.uint8("pbfdl.fcs.computed", "Computed FCS", base.HEX),
    ed = ProtoField.uint8("pbfdl.ed", "End delimiter", base.HEX),
}
local field_list = {}
for _, field in pairs(f) do field_list[#field_list + 1] = field end
pbfdl.fields = field_list

local e = {
    malformed = ProtoExpert.new("pbfdl.malformed", "Malformed frame", expert.group.MALFORMED, expert.severity.ERROR),
    bad_fcs = ProtoExpert.new("pbfdl.fcs.bad", "Bad frame check sequence", expert.group.CHECKSUM, expert.severity.ERROR),
    bad_ed = ProtoExpert.new("pbfdl.ed.bad", "Invalid end delimiter", expert.group.MALFORMED, expert.severity.ERROR),
    receive_error = ProtoExpert.new("pbfdl.status.error", "Received with errors", expert.group.PROTOCOL, expert.severity.WARN),
    resync = ProtoExpert.new("pbfdl.notes.resync.expert", "Record boundaries were lost before this frame",
                             expert.group.SEQUENCE, expert.severity.NOTE),
}
pbfdl.experts = { e.malformed, e.bad_fcs, e.bad_ed, e.receive_error, e.resync }

local status_masks = { 0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80 }

local function letters_of(status)
    local text = {}
    for i = 1, 8 do
        text[i] = has(status, status_masks[i]) and status_letters[i] or "."
    end
    return table.concat(text)
end

-- The function name of an FC byte, as zelmot2txt writes it (without blanks).
local function function_name(fc)
    local name
    if has(fc, 0x40) then
        local index = band(fc, 0x0F) + (has(fc, 0x80) and 16 or 0)
        name = request_names[index]
    else
        name = response_names[band(fc, 0x0F)]
    end
    return name or string.format("Typ?(%02x)", fc)
end

local function add_header(buf, tree)
    local status = buf(2, 1):uint()
    local notes = buf(3, 1):uint()
    tree:add(f.version, buf(0, 1))
    tree:add(f.hdrlen, buf(1, 1))
    local st = tree:add(f.status, buf(2, 1))
    st:append_text(" (" .. letters_of(status) .. ")")
    st:add(f.status_letters, buf(2, 1), letters_of(status))
    for _, bitfield in ipairs({ f.st_stop, f.st_parity, f.st_sd, f.st_repeat, f.st_under, f.st_over,
                                f.st_check, f.st_ed }) do
        st:add(bitfield, buf(2, 1))
    end
    if status ~= 0 then st:add_proto_expert_info(e.receive_error, "Received with errors: " .. letters_of(status)) end
    local nt = tree:add(f.notes, buf(3, 1))
    nt:add(f.note_resync, buf(3, 1))
    nt:add(f.note_file, buf(3, 1))
    if has(notes, 0x01) then nt:add_proto_expert_info(e.resync) end
    return status
end

-- Adds DA and SA at offset da of the frame, as far as the frame holds them;
-- returns the two bytes (nil when absent).
local function add_addresses(frame, tree, da, pinfo)
    local n = frame:len()
    local da_byte, sa_byte
    if da < n then
        da_byte = frame(da, 1):uint()
        local item = tree:add(f.da, frame(da, 1))
        item:add(f.da_ext, frame(da, 1))
    end
    if da + 1 < n then
        sa_byte = frame(da + 1, 1):uint()
        local item = tree:add(f.sa, frame(da + 1, 1))
        item:add(f.sa_ext, frame(da + 1, 1))
    end
    -- The station addresses as the packet list's destination and source.
    if da_byte then pinfo.cols.dst = tostring(band(da_byte, 0x7F)) end
    if sa_byte then pinfo.cols.src = tostring(band(sa_byte, 0x7F)) end
    return da_byte, sa_byte
end

local function add_fc(frame, tree, at)
    local fc = frame(at, 1):uint()
    local item = tree:add(f.fc, frame(at, 1))
    local name = function_name(fc)
    item:append_text(" (" .. name .. ")")
    item:add(f.fc_request, frame(at, 1))
    if has(fc, 0x40) then
        item:add(f.fc_fcb, frame(at, 1))
        item:add(f.fc_fcv, frame(at, 1))
    else
        item:add(f.fc_type, frame(at, 1))
    end
    item:add(f.fc_function, frame(at, 1), name)
    return fc, name
end

-- The body of an SD1, SD2 or SD3 frame from DA (offset da) through ED (the
-- frame's last byte); the caller has checked the length.
local function add_body(frame, tree, da, summary, pinfo)
    local n = frame:len()
    local da_byte, sa_byte = add_addresses(frame, tree, da, pinfo)
    local fc, name = add_fc(frame, tree, da + 2)
    local at = da + 3
    local data_end = n - 2  -- FCS offset
    summary[#summary + 1] = string.format("%d<%d", band(da_byte, 0x7F), band(sa_byte, 0x7F))
    summary[#summary + 1] = name
    local saps = 0
    if has(da_byte, 0x80) then saps = saps + 1 end
    if has(sa_byte, 0x80) then saps = saps + 1 end
    if at + saps > data_end then
        tree:add_proto_expert_info(e.malformed, "Too short for the SAP bytes its addresses announce")
        return false
    end
    if has(da_byte, 0x80) then
        tree:add(f.dsap, frame(at, 1)); at = at + 1
    end
    if has(sa_byte, 0x80) then
        tree:add(f.ssap, frame(at, 1)); at = at + 1
    end
    if data_end > at then tree:add(f.data, frame(at, data_end - at)) end
    local sum = 0
    for i = da, data_end - 1 do sum = (sum + frame(i, 1):uint()) % 256 end
    local fcs = frame(data_end, 1):uint()
    local fcs_item = tree:add(f.fcs, frame(data_end, 1))
    fcs_item:add(f.fcs_computed, frame(data_end, 1), sum):set_generated()
    if sum == fcs then
        fcs_item:append_text(" [good]")
        fcs_item:add(f.fcs_status, frame(data_end, 1), 1):set_generated()
    else
        fcs_item:append_text(string.format(" [bad, should be 0x%02x]", sum))
        fcs_item:add(f.fcs_status, frame(data_end, 1), 0):set_generated()
        fcs_item:add_proto_expert_info(e.bad_fcs, string.format("Bad FCS 0x%02x, computed 0x%02x", fcs, sum))
        summary[#summary + 1] = "[bad FCS]"
    end
    local ed_item = tree:add(f.ed, frame(n - 1, 1))
    if frame(n - 1, 1):uint() ~= ED then
        ed_item:add_proto_expert_info(e.bad_ed)
        summary[#summary + 1] = string.format("ED?(%02x)", frame(n - 1, 1):uint())
    end
    return true
end

local function malformed(tree, text, summary)
    tree:add_proto_expert_info(e.malformed, text)
    summary[#summary + 1] = text
end

local function dissect_frame(frame, tree, summary, pinfo)
    local n = frame:len()
    if n == 0 then
        malformed(tree, "FrmLen?(0)", summary)
        return
    end
    local sd = frame(0, 1):uint()
    tree:add(f.sd, frame(0, 1))
    summary[#summary + 1] = delimiter_names[sd] or string.format("SD?%02x", sd)
    if sd == SD1 or sd == SD3 then
        local want = sd == SD1 and 6 or 14
        if n == want then
            add_body(frame, tree, 1, summary, pinfo)
        else
            add_addresses(frame, tree, 1, pinfo)
            malformed(tree, string.format("Len(%d)?", n), summary)
        end
    elseif sd == SD2 then
        local problem
        if n < 9 then
            problem = string.format("SD2 Len(%d)?", n)
        else
            tree:add(f.le, frame(1, 1))
            tree:add(f.ler, frame(2, 1))
            tree:add(f.sdr, frame(3, 1))
            if frame(1, 1):uint() ~= n - 6 then
                problem = string.format("SD2 LE?(%d)", n)
            elseif frame(2, 1):uint() ~= frame(1, 1):uint() then
                problem = "SD2 LEr?"
            elseif frame(3, 1):uint() ~= SD2 then
                problem = "SD2r?"
            end
        end
        if problem then
            add_addresses(frame, tree, 4, pinfo)
            malformed(tree, problem, summary)
        else
            add_body(frame, tree, 4, summary, pinfo)
        end
    elseif sd == SD4 then
        local da_byte, sa_byte = add_addresses(frame, tree, 1, pinfo)
        if n == 3 then
            summary[#summary + 1] = string.format("%d<%d token", band(da_byte, 0x7F), band(sa_byte, 0x7F))
        else
            malformed(tree, string.format("Len(%d)?", n), summary)
        end
    elseif sd == SC then
        summary[#summary + 1] = "SHAK"
        if n ~= 1 then malformed(tree, string.format("Len(%d)?", n), summary) end
    else
        malformed(tree, string.format("SD?%02x", sd), summary)
    end
end

function pbfdl.dissector(buf, pinfo, root)
    pinfo.cols.protocol = "PROFIBUS"
    local tree = root:add(pbfdl, buf())
    local total = buf:len()
    if total < 4 then
        tree:add_proto_expert_info(e.malformed, "Shorter than the pseudo-header")
        pinfo.cols.info = "Malformed pseudo-header"
        return total
    end
    local hdrlen = buf(1, 1):uint()
    if buf(0, 1):uint() ~= 1 or hdrlen < 4 or hdrlen > total then
        tree:add(f.version, buf(0, 1))
        tree:add(f.hdrlen, buf(1, 1))
        tree:add_proto_expert_info(e.malformed, "Unknown pseudo-header version or length")
        pinfo.cols.info = "Unknown pseudo-header"
        return total
    end
    local status = add_header(buf, tree)
    local summary = {}
    if total > hdrlen then
        dissect_frame(buf:range(hdrlen, total - hdrlen):tvb(), tree, summary, pinfo)
    else
        malformed(tree, "FrmLen?(0)", summary)
    end
    if status ~= 0 then summary[#summary + 1] = "status " .. letters_of(status) end
    pinfo.cols.info = table.concat(summary, " ")
    return total
end

-- Link type 147 (USER0) is Wireshark's encapsulation USER0.
local encaps = wtap_encaps or wtap
DissectorTable.get("wtap_encap"):add(encaps.USER0, pbfdl)
